#pragma once
// The data folder dialog: the user confirms or changes the folder of the
// farm data at every start. There is no cancel; closing it in any way keeps
// the folder the list is on.
#include <QDialog>
#include <QListWidget>
#include <QString>
#include <string>
#include <system_error>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMouseEvent;
class QPushButton;

namespace kv4gui {

// The toolkit's German text for a folder that could not be opened.
std::string FolderErrorText(std::error_code error);

// The classic folder list: the folders along the current path from the root
// down, then the subfolders of the current folder. A double-click opens the
// clicked folder, and every folder it opens becomes the process's current
// folder (the master data are opened by bare file name).
class FolderList : public QListWidget {
    Q_OBJECT
  public:
    // Starts on the process's current folder, without changing it.
    explicit FolderList(QWidget* parent = nullptr);

    // The current folder: absolute, '/' separators, no trailing one except a root.
    const QString& Directory() const { return directory_; }

    // Opens `folder`. Throws std::runtime_error with the German error text
    // when it does not exist or cannot be opened; the list is then unchanged.
    void SetDirectory(const QString& folder);

    // The folder an item stands for.
    static QString ItemPath(const QListWidgetItem* item);

  signals:
    // A double-click on an item, before its folder is opened.
    void DblClick();
    // Another folder was opened.
    void DirectoryChanged();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void OpenCurrent();
    void BuildList();

    QString directory_;
};

class DataFolderDialog : public QDialog {
    Q_OBJECT
  public:
    explicit DataFolderDialog(QWidget* parent = nullptr);

    // Opens `folder` in the list (empty: stays on the folder current at
    // creation), shows it in folderEdit_ and selects its drive. Throws
    // std::runtime_error when the folder cannot be opened.
    void SetFolder(const QString& folder);

    // The list's current folder, native separators, no trailing separator
    // except for a root ("/", "C:\").
    QString Folder() const;

    // The close box and Escape give the same result as OK.
    void reject() override;

  private:
    // A double-click on the list: the box shows the folder it was on.
    void OnFolderDoubleClicked();
    void OpenChosenDrive();
    void FillDrives();
    // The index of the drive (volume) holding `folder`, or -1.
    int DriveIndexOf(const QString& folder) const;
    // Selects the list's drive without running OpenChosenDrive.
    void ShowListDrive();

    QFrame* bevel_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    QLineEdit* folderEdit_ = nullptr;
    FolderList* folderList_ = nullptr;
    QLabel* driveLabel_ = nullptr;
    QComboBox* driveCombo_ = nullptr;  // item data: the drive's root, '/' separators
    QPushButton* okButton_ = nullptr;
};

}  // namespace kv4gui
