#pragma once
// The information window: the fixed notice the user reads at every start,
// before the data folder is chosen.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace kv4gui {

class NoticeDialog : public QDialog {
    Q_OBJECT
  public:
    explicit NoticeDialog(QWidget* parent = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QPlainTextEdit* noticeText_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

}  // namespace kv4gui
