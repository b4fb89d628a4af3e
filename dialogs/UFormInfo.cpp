#include "dialogs/UFormInfo.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>

#include "dialogs/DesignFont.h"
#include "reference/InfoText.h"
#include "render/QtText.h"

namespace kv4gui {

TTFormInfo::TTFormInfo(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Informationen"));
    setFont(DesignFont(8));
    resize(870, 600);
    move(266, 96);

    MemoInfo = new QPlainTextEdit(this);
    MemoInfo->setObjectName(QStringLiteral("MemoInfo"));
    MemoInfo->setGeometry(24, 24, 825, 465);
    QFont memoFont = DesignFont(8);
    memoFont.setPixelSize(15);
    memoFont.setBold(true);
    MemoInfo->setFont(memoFont);
    MemoInfo->setReadOnly(true);
    MemoInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    MemoInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoInfo->setPlainText(kv4gui::ToQString(kv4::InfoText()));

    Button1 = new QPushButton(QStringLiteral("ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(416, 512, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void TTFormInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Every showing starts at the salutation, whatever was scrolled before.
    MemoInfo->moveCursor(QTextCursor::Start);
    MemoInfo->verticalScrollBar()->setValue(0);
}

}  // namespace kv4gui
