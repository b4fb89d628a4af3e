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
class TDirectoryListBox : public QListWidget {
    Q_OBJECT
  public:
    // Starts on the process's current folder, without changing it.
    explicit TDirectoryListBox(QWidget* parent = nullptr);

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

class TFZugang : public QDialog {
    Q_OBJECT
  public:
    explicit TFZugang(QWidget* parent = nullptr);

    // Controls, with the form designer's names.
    QFrame* Bevel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    TDirectoryListBox* DirectoryListBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* DriveComboBox1 = nullptr;  // item data: the drive's root, '/' separators
    QPushButton* BitBtn1 = nullptr;

    // Opens `folder` in the list (empty: stays on the folder current at
    // creation), shows it in Edit1 and selects its drive. Throws
    // std::runtime_error when the folder cannot be opened.
    void SetFolder(const QString& folder);

    // The list's current folder, native separators, no trailing separator
    // except for a root ("/", "C:\").
    QString GetFolder() const;

    // Handlers (names as in the form designer).
    void DirectoryListBox1DblClick();
    void DriveComboBox1Change();

    // The close box and Escape give the same result as OK.
    void reject() override;

  private:
    void FillDrives();
    // The index of the drive (volume) holding `folder`, or -1.
    int DriveIndexOf(const QString& folder) const;
    // Selects the list's drive without running DriveComboBox1Change.
    void ShowListDrive();
};

}  // namespace kv4gui
