#include "dialogs/NoticeDialog.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>

#include "dialogs/DesignFont.h"
#include "reference/InfoText.h"
#include "render/QtText.h"

namespace kv4gui {

NoticeDialog::NoticeDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Informationen"));
    setFont(DesignFont(8));
    resize(870, 600);
    move(266, 96);

    noticeText_ = new QPlainTextEdit(this);
    noticeText_->setObjectName(QStringLiteral("noticeText"));
    noticeText_->setGeometry(24, 24, 825, 465);
    QFont memoFont = DesignFont(8);
    memoFont.setPixelSize(15);
    memoFont.setBold(true);
    noticeText_->setFont(memoFont);
    noticeText_->setReadOnly(true);
    noticeText_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    noticeText_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    noticeText_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    noticeText_->setPlainText(kv4gui::ToQString(kv4::InfoText()));

    okButton_ = new QPushButton(QStringLiteral("ok"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setGeometry(416, 512, 75, 25);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
}

void NoticeDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Every showing starts at the salutation, whatever was scrolled before.
    noticeText_->moveCursor(QTextCursor::Start);
    noticeText_->verticalScrollBar()->setValue(0);
}

}  // namespace kv4gui
