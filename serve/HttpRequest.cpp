#include "serve/HttpRequest.h"

#include <sys/socket.h>

#include <cerrno>

namespace qm {

bool HttpRequest::ClientGone() const {
  if (clientFd < 0) return false;
  char byte = 0;
  const ssize_t got = ::recv(clientFd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

}  // namespace qm
