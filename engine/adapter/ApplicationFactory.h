#pragma once

#include <memory>
#include <string>

#include "engine/adapter/Application.h"

namespace qm {

/// The class name of the presentation application every exporter asks for.
inline constexpr const char* kPresentationApplicationClass = "PowerPoint.Application";

/// Where application objects come from: the real renderer or a test fake.
class ApplicationFactory {
 public:
  virtual ~ApplicationFactory() = default;

  /// Creates an application object for `progId` ("PowerPoint.Application").
  /// Throws qm::Error when the application is missing or cannot start.
  virtual std::shared_ptr<Application> Create(const std::string& progId) = 0;

  /// The object of an already running instance of `progId`. Never starts
  /// one; throws qm::Error when none runs.
  virtual std::shared_ptr<Application> Attach(const std::string& progId) = 0;
};

}  // namespace qm
