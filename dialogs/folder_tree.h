// TFolderTree: the search dialog's folder tree. Folders only, from the root down,
// read when a branch is first opened; its current folder is `Directory`.
#pragma once

#include <QString>
#include <QTreeWidget>

namespace varsik {

class TFolderTree : public QTreeWidget {
  Q_OBJECT

 public:
  explicit TFolderTree(QWidget* parent = nullptr);

  // The current folder, absolute, without a trailing "/" (except the root itself).
  QString Directory() const;
  // Moves to `path` (made absolute) and opens the branches down to it. Nothing happens,
  // and no change is signalled, when it is already the current folder or is not a folder.
  void SetDirectory(const QString& path);
  // Reads the folder lists again (the current folder is kept while it exists, else its
  // nearest existing parent is taken), then signals a change.
  void Update();

 signals:
  // The current folder changed, or the tree was refreshed.
  void Changed();

 private:
  QTreeWidgetItem* ItemFor(const QString& path);
  void ScrollTo(QTreeWidgetItem* item);
  void LoadChildren(QTreeWidgetItem* item);
  void ReloadLoaded(QTreeWidgetItem* item, const QString& current);
  QTreeWidgetItem* AddChild(QTreeWidgetItem* parent, const QString& name);
  void OnCurrentItemChanged();

  QString LastDirectory;
};

}  // namespace varsik
