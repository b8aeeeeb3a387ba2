#include "app/BrowseForFolder.h"

#include <QFileDialog>

#include "base/Paths.h"

namespace qm {

std::string BrowseForFolder(QWidget* owner, const std::string& title,
                            const std::string& initialFolder) {
  QFileDialog browser(owner, QString::fromStdString(title));
  browser.setObjectName("BrowseForFolder");
  browser.setFileMode(QFileDialog::Directory);
  browser.setOption(QFileDialog::ShowDirsOnly, true);
  if (!initialFolder.empty() && FolderExists(initialFolder)) {
    const QString folder = QString::fromStdString(initialFolder);
    browser.setDirectory(folder);
    browser.selectFile(folder);
  }
  if (browser.exec() != QDialog::Accepted || browser.selectedFiles().isEmpty()) return {};
  return browser.selectedFiles().constFirst().toStdString();
}

}  // namespace qm
