#include "app/WindowLook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QWidget>

#include "base/ProgramFolder.h"

namespace qm {

namespace {

/// The family Arial stands for here.
constexpr const char* kArial = "Liberation Sans";

void SetBackground(QWidget& widget, const QColor& colour) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, colour);
  palette.setColor(QPalette::Button, colour);
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

/// Reads a little-endian 16-bit field of `bytes` at `offset`.
int Field16(const QByteArray& bytes, int offset) {
  return static_cast<unsigned char>(bytes[offset]) |
         (static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

}  // namespace

QFont WindowFont() {
  QFont font(kArial);
  font.setPointSizeF(9);
  font.setBold(true);
  return font;
}

QFont ButtonFont() {
  QFont font(kArial);
  font.setPointSizeF(11.25);
  font.setBold(true);
  return font;
}

void UseWhiteBackground(QWidget& widget) { SetBackground(widget, Qt::white); }

void UseSystemColors(QWidget& window) {
  const QColor face = QApplication::palette().color(QPalette::Button);
  SetBackground(window, face);
  for (QWidget* child : window.findChildren<QWidget*>()) {
    const bool optionOrCheck = qobject_cast<QAbstractButton*>(child) != nullptr &&
                               child->inherits("QPushButton") == false;
    if (optionOrCheck || qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child))
      SetBackground(*child, face);
  }
}

std::optional<QCursor> LoadCursorFile(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray bytes = file.readAll();
  // ICONDIR (6 bytes, type 2 for a cursor) and the first entry, whose planes
  // and bit-count fields hold the hot spot.
  if (bytes.size() < 22 || Field16(bytes, 2) != 2) return std::nullopt;
  const int hotX = Field16(bytes, 10);
  const int hotY = Field16(bytes, 12);
  QImage image;
  if (!image.loadFromData(bytes, "CUR") && !image.loadFromData(bytes, "ICO")) return std::nullopt;
  return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

std::optional<QCursor> LoadIconPointer(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray bytes = file.readAll();
  // ICONDIR (6 bytes) with type 1 for an icon.
  if (bytes.size() < 22 || Field16(bytes, 2) != 1) return std::nullopt;
  // Qt reads .ico through its "ico" image plugin (libqt6gui6 ships it);
  // without the plugin the load fails and the caller falls back.
  QImage image;
  if (!image.loadFromData(bytes, "ICO")) return std::nullopt;
  return QCursor(QPixmap::fromImage(image), 0, 0);
}

QCursor DragPointer() {
  if (auto drawn = LoadIconPointer(DataFolder() + "drag.ico")) return *drawn;
  return QCursor(Qt::ClosedHandCursor);
}

QIcon ProgramIcon() {
  const QString path = QString::fromStdString(DataFolder() + "quillmere.png");
  return QFile::exists(path) ? QIcon(path) : QIcon();
}

QCursor CursorFor(Pointer pointer, const std::optional<QCursor>& hand) {
  if (pointer == Pointer::Busy) return QCursor(Qt::WaitCursor);
  if (pointer == Pointer::Custom && hand) return *hand;
  return QCursor(Qt::ArrowCursor);
}

}  // namespace qm
