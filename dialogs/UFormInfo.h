#pragma once
// The information window: the fixed notice the user reads at every start,
// before the data folder is chosen.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace kv4gui {

class TTFormInfo : public QDialog {
    Q_OBJECT
  public:
    explicit TTFormInfo(QWidget* parent = nullptr);

    // Controls, with the form designer's names.
    QPlainTextEdit* MemoInfo = nullptr;
    QPushButton* Button1 = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace kv4gui
