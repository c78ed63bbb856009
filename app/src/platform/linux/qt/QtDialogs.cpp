#include "platform/linux/qt/QtDialogs.hpp"

#include <QMessageBox>
#include <QPushButton>

namespace tavelin::app {

void QtDialogs::showCriticalAlert(const std::string& title, const std::string& text, const std::string& button) {
  QMessageBox box(QMessageBox::Critical, QString::fromStdString(title), QString::fromStdString(text));
  // The title bar may not show the title (a frameless desktop); the box's
  // own heading always does.
  box.setText(QString::fromStdString(title));
  box.setInformativeText(QString::fromStdString(text));
  QPushButton* only = box.addButton(QString::fromStdString(button), QMessageBox::AcceptRole);
  box.setDefaultButton(only);
  box.setEscapeButton(only);
  box.exec();
}

}  // namespace tavelin::app
