#include "dialogs/Zugang.h"

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
#include "dialogs/Seams.h"

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

TDirectoryListBox::TDirectoryListBox(QWidget* parent)
    : QListWidget(parent), directory_(QDir::currentPath()) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    BuildList();
}

QString TDirectoryListBox::ItemPath(const QListWidgetItem* item) {
    return item ? item->data(kPathRole).toString() : QString();
}

void TDirectoryListBox::SetDirectory(const QString& folder) {
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

void TDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) return;
    QListWidgetItem* item = itemAt(event->position().toPoint());
    if (!item) return;
    setCurrentItem(item);
    emit DblClick();
    OpenCurrent();
}

void TDirectoryListBox::OpenCurrent() {
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

void TDirectoryListBox::BuildList() {
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

TFZugang::TFZugang(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Kornavis Daten"));
    setFont(DesignFont(8));
    setFixedSize(301, 297);

    // Created first so that it lies beneath the controls it frames.
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 289, 217);

    Label1 = new QLabel(QStringLiteral("Datenordner:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(24, 20);
    Label1->adjustSize();

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(24, 40, 257, 21);
    Edit1->setReadOnly(true);

    DirectoryListBox1 = new TDirectoryListBox(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setGeometry(24, 72, 257, 113);

    Label2 = new QLabel(QStringLiteral("Laufwerk:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(32, 196);
    Label2->adjustSize();

    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setGeometry(112, 192, 161, 19);
    FillDrives();

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                              QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(192, 268, 75, 25);
    BitBtn1->setDefault(true);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(DirectoryListBox1, &TDirectoryListBox::DblClick, this,
            &TFZugang::DirectoryListBox1DblClick);
    // A folder opened in the list may lie on another volume.
    connect(DirectoryListBox1, &TDirectoryListBox::DirectoryChanged, this,
            &TFZugang::ShowListDrive);
    connect(DriveComboBox1, &QComboBox::currentIndexChanged, this, &TFZugang::DriveComboBox1Change);
    ShowListDrive();

    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
}

void TFZugang::SetFolder(const QString& folder) {
    if (!folder.isEmpty()) DirectoryListBox1->SetDirectory(folder);
    Edit1->setText(GetFolder());
    ShowListDrive();
}

QString TFZugang::GetFolder() const {
    return QDir::toNativeSeparators(DirectoryListBox1->Directory());
}

void TFZugang::DirectoryListBox1DblClick() { Edit1->setText(GetFolder()); }

void TFZugang::DriveComboBox1Change() {
    const int chosen = DriveComboBox1->currentIndex();
    if (chosen < 0 || chosen == DriveIndexOf(DirectoryListBox1->Directory())) return;
    QString root = DriveComboBox1->itemData(chosen).toString();
#ifdef _WIN32
    // "D:" opens the folder that is current on drive D.
    root = root.left(2);
#endif
    try {
        DirectoryListBox1->SetDirectory(root);
    } catch (const std::exception& e) {
        ShowListDrive();
        ShowStandardError(this, e.what());
    }
}

void TFZugang::reject() { accept(); }

void TFZugang::FillDrives() {
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
    for (const QString& root : roots) DriveComboBox1->addItem(QDir::toNativeSeparators(root), root);
}

int TFZugang::DriveIndexOf(const QString& folder) const {
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < DriveComboBox1->count(); ++i) {
        const QString root = DriveComboBox1->itemData(i).toString();
        if (root.size() > bestLength && IsOnVolume(folder, root)) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

void TFZugang::ShowListDrive() {
    const QSignalBlocker blocker(DriveComboBox1);
    DriveComboBox1->setCurrentIndex(DriveIndexOf(DirectoryListBox1->Directory()));
}

}  // namespace kv4gui
