#include "dialogs/DataFolderDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "dialogs/DesignFont.h"
#include "dialogs/ModalDialogs.h"

namespace kv4gui {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPerLevel = 8;

#ifdef _WIN32
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

std::filesystem::path ToPath(const QString& folder) {
#ifdef _WIN32
    return std::filesystem::path(folder.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(folder).toStdString());
#endif
}

// True when `folder` is `root` or lies below it (both with '/' separators).
bool IsOnVolume(const QString& folder, const QString& root) {
    if (folder.compare(root, kPathCase) == 0) return true;
    const QString prefix = root.endsWith(u'/') ? root : root + u'/';
    return folder.startsWith(prefix, kPathCase);
}

// Indents each folder by its depth, as the classic folder list does.
class IndentDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(indented.rect.left() + Indent(index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += Indent(index);
        return size;
    }

  private:
    static int Indent(const QModelIndex& index) {
        return index.data(kLevelRole).toInt() * kIndentPerLevel;
    }
};

}  // namespace

std::string FolderErrorText(std::error_code error) {
#ifdef _WIN32
    // The toolkit names the Windows error codes it knows, the rest by number.
    if (error.category() == std::system_category()) {
        switch (error.value()) {
            case 2:
                return "Datei nicht gefunden";
            case 3:
                return "Ungültiger Dateiname";
            case 4:
                return "Zu viele geöffnete Dateien";
            case 5:
                return "Zugriff verweigert";
            default:
                return "E/A-Fehler " + std::to_string(error.value());
        }
    }
#endif
    if (error == std::errc::no_such_file_or_directory) return "Datei nicht gefunden";
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
        return "Zugriff verweigert";
    }
    if (error == std::errc::not_a_directory || error == std::errc::filename_too_long ||
        error == std::errc::invalid_argument || error == std::errc::too_many_symbolic_link_levels) {
        return "Ungültiger Dateiname";
    }
    if (error == std::errc::too_many_files_open) return "Zu viele geöffnete Dateien";
    return "E/A-Fehler " + std::to_string(error.value());
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent), directory_(QDir::currentPath()) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    BuildList();
}

QString FolderList::ItemPath(const QListWidgetItem* item) {
    return item ? item->data(kPathRole).toString() : QString();
}

void FolderList::SetDirectory(const QString& folder) {
    std::error_code error;
    if (folder.isEmpty()) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    } else if (folder.contains(QChar(u'\0'))) {
        // The system would cut the name there and open another folder.
        error = std::make_error_code(std::errc::invalid_argument);
    } else {
        // The one working-directory change of the program, kept on purpose: an opened folder
        // becomes the process's current folder, as farmers know it from this dialog, and
        // entering it is the check that the folder may be opened at all, with the system's
        // reason as the message. The loaders never rely on it; they are handed the folder.
        std::filesystem::current_path(ToPath(folder), error);
    }
    if (error) throw std::runtime_error(FolderErrorText(error));
    directory_ = QDir::currentPath();
    BuildList();
    emit DirectoryChanged();
}

void FolderList::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) return;
    QListWidgetItem* item = itemAt(event->position().toPoint());
    if (!item) return;
    setCurrentItem(item);
    emit DblClick();
    OpenCurrent();
}

void FolderList::OpenCurrent() {
    const QListWidgetItem* item = currentItem();
    if (!item) return;
    try {
        SetDirectory(ItemPath(item));
    } catch (const std::exception& e) {
        // A folder removed or locked since the list was built: the user is
        // told, and the list stays where it was.
        ShowStandardError(window(), e.what());
    }
}

void FolderList::BuildList() {
    // The folders from the root down to the current one.
    QStringList chain;
    QDir dir(directory_);
    for (;;) {
        const QString path = dir.absolutePath();
        chain.prepend(path);
        if (dir.isRoot() || !dir.cdUp() || dir.absolutePath() == path) break;
    }

    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto add = [this](const QIcon& icon, const QString& text, const QString& path,
                            qsizetype level) {
        auto* item = new QListWidgetItem(icon, text, this);
        item->setData(kPathRole, path);
        item->setData(kLevelRole, static_cast<int>(level));
    };
    for (qsizetype i = 0; i < chain.size(); ++i) {
        add(openIcon, i == 0 ? QDir::toNativeSeparators(chain[i]) : QFileInfo(chain[i]).fileName(),
            chain[i], i);
    }
    // Hidden folders stay out, as in the classic list.
    const QFileInfoList subfolders =
        QDir(directory_)
            .entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot,
                           QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QFileInfo& sub : subfolders) {
        add(closedIcon, sub.fileName(), sub.absoluteFilePath(), chain.size());
    }
    setCurrentRow(static_cast<int>(chain.size()) - 1);
    scrollToItem(currentItem());
}

DataFolderDialog::DataFolderDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Kornavis Daten"));
    setFont(DesignFont(8));
    setFixedSize(301, 297);

    // Created first so that it lies beneath the controls it frames.
    bevel_ = new QFrame(this);
    bevel_->setObjectName(QStringLiteral("bevel"));
    bevel_->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel_->setGeometry(8, 8, 289, 217);

    folderLabel_ = new QLabel(QStringLiteral("Datenordner:"), this);
    folderLabel_->setObjectName(QStringLiteral("folderLabel"));
    folderLabel_->move(24, 20);
    folderLabel_->adjustSize();

    folderEdit_ = new QLineEdit(this);
    folderEdit_->setObjectName(QStringLiteral("folderEdit"));
    folderEdit_->setGeometry(24, 40, 257, 21);
    folderEdit_->setReadOnly(true);

    folderList_ = new FolderList(this);
    folderList_->setObjectName(QStringLiteral("folderList"));
    folderList_->setGeometry(24, 72, 257, 113);

    driveLabel_ = new QLabel(QStringLiteral("Laufwerk:"), this);
    driveLabel_->setObjectName(QStringLiteral("driveLabel"));
    driveLabel_->move(32, 196);
    driveLabel_->adjustSize();

    driveCombo_ = new QComboBox(this);
    driveCombo_->setObjectName(QStringLiteral("driveCombo"));
    driveCombo_->setGeometry(112, 192, 161, 19);
    FillDrives();

    okButton_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                                QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setGeometry(192, 268, 75, 25);
    okButton_->setDefault(true);

    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(folderList_, &FolderList::DblClick, this, &DataFolderDialog::OnFolderDoubleClicked);
    // A folder opened in the list may lie on another volume.
    connect(folderList_, &FolderList::DirectoryChanged, this, &DataFolderDialog::ShowListDrive);
    connect(driveCombo_, &QComboBox::currentIndexChanged, this, &DataFolderDialog::OpenChosenDrive);
    ShowListDrive();

    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
}

void DataFolderDialog::SetFolder(const QString& folder) {
    if (!folder.isEmpty()) folderList_->SetDirectory(folder);
    folderEdit_->setText(Folder());
    ShowListDrive();
}

QString DataFolderDialog::Folder() const {
    return QDir::toNativeSeparators(folderList_->Directory());
}

void DataFolderDialog::OnFolderDoubleClicked() { folderEdit_->setText(Folder()); }

void DataFolderDialog::OpenChosenDrive() {
    const int chosen = driveCombo_->currentIndex();
    if (chosen < 0 || chosen == DriveIndexOf(folderList_->Directory())) return;
    QString root = driveCombo_->itemData(chosen).toString();
#ifdef _WIN32
    // "D:" opens the folder that is current on drive D.
    root = root.left(2);
#endif
    try {
        folderList_->SetDirectory(root);
    } catch (const std::exception& e) {
        ShowListDrive();
        ShowStandardError(this, e.what());
    }
}

void DataFolderDialog::reject() { accept(); }

void DataFolderDialog::FillDrives() {
    QStringList roots;
#ifdef _WIN32
    for (const QFileInfo& drive : QDir::drives()) roots << drive.absolutePath();
#else
    roots << QStringLiteral("/");
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Files mounted into place are no folders to open.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir()) {
            roots << volume.rootPath();
        }
    }
    roots.removeDuplicates();
    std::sort(roots.begin(), roots.end());
#endif
    for (const QString& root : roots) driveCombo_->addItem(QDir::toNativeSeparators(root), root);
}

int DataFolderDialog::DriveIndexOf(const QString& folder) const {
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < driveCombo_->count(); ++i) {
        const QString root = driveCombo_->itemData(i).toString();
        if (root.size() > bestLength && IsOnVolume(folder, root)) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

void DataFolderDialog::ShowListDrive() {
    const QSignalBlocker blocker(driveCombo_);
    driveCombo_->setCurrentIndex(DriveIndexOf(folderList_->Directory()));
}

}  // namespace kv4gui
