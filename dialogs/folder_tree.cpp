#include "dialogs/folder_tree.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>

namespace varsik {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLoadedRole = Qt::UserRole + 1;

QString Normalised(const QString& path) {
  return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString PathOf(const QTreeWidgetItem* item) {
  return item ? item->data(0, kPathRole).toString() : QString();
}

QString ChildPath(const QString& parent, const QString& name) {
  return parent.endsWith(QLatin1Char('/')) ? parent + name : parent + QLatin1Char('/') + name;
}

// Whether `path` is `folder` or lies below it.
bool IsWithin(const QString& path, const QString& folder) {
  if (path == folder) return true;
  const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
  return path.startsWith(prefix);
}

}  // namespace

TFolderTree::TFolderTree(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  header()->hide();
  setRootIsDecorated(true);
  // Narrow steps, so that deep folders still fit the narrow tree.
  setIndentation(12);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  header()->setStretchLastSection(false);

  auto* root = new QTreeWidgetItem(this, QStringList{QStringLiteral("/")});
  root->setData(0, kPathRole, QStringLiteral("/"));
  root->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
  root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);

  connect(this, &QTreeWidget::itemExpanded, this, &TFolderTree::LoadChildren);
  connect(this, &QTreeWidget::currentItemChanged, this, &TFolderTree::OnCurrentItemChanged);
}

QString TFolderTree::Directory() const {
  return PathOf(currentItem());
}

void TFolderTree::SetDirectory(const QString& path) {
  if (path.isEmpty() || !QFileInfo(path).isDir()) return;
  QTreeWidgetItem* item = ItemFor(Normalised(path));
  if (!item || item == currentItem()) return;
  for (QTreeWidgetItem* up = item->parent(); up; up = up->parent()) up->setExpanded(true);
  setCurrentItem(item);
  ScrollTo(item);
}

void TFolderTree::Update() {
  QString current = Directory();
  QTreeWidgetItem* item = nullptr;
  {
    // Items come and go while the lists are read again; the refresh is signalled once,
    // below.
    const QSignalBlocker blocker(this);
    ReloadLoaded(topLevelItem(0), current);
    while (!current.isEmpty() && current != QLatin1String("/") && !QFileInfo(current).isDir())
      current = QFileInfo(current).path();
    item = ItemFor(current.isEmpty() ? QStringLiteral("/") : current);
    setCurrentItem(item);
  }
  LastDirectory = Directory();
  if (item) ScrollTo(item);
  emit Changed();
}

// The folder in the middle of the view, the names from their start.
void TFolderTree::ScrollTo(QTreeWidgetItem* item) {
  scrollToItem(item, QAbstractItemView::PositionAtCenter);
  horizontalScrollBar()->setValue(0);
}

// The item of an absolute, clean path, reading the branches on the way; folders that the
// listing leaves out (hidden ones) get an item when they are asked for by name.
QTreeWidgetItem* TFolderTree::ItemFor(const QString& path) {
  QTreeWidgetItem* item = topLevelItem(0);
  const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  for (const QString& part : parts) {
    LoadChildren(item);
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < item->childCount() && !next; ++i)
      if (item->child(i)->text(0) == part) next = item->child(i);
    if (!next) next = AddChild(item, part);
    item = next;
  }
  return item;
}

void TFolderTree::LoadChildren(QTreeWidgetItem* item) {
  if (!item || item->data(0, kLoadedRole).toBool()) return;
  item->setData(0, kLoadedRole, true);
  const QString path = PathOf(item);
  // Hidden folders stay out of the way unless they are asked for by name.
  const QStringList names =
      QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : names) AddChild(item, name);
  item->setChildIndicatorPolicy(item->childCount() > 0
                                    ? QTreeWidgetItem::ShowIndicator
                                    : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem* TFolderTree::AddChild(QTreeWidgetItem* parent, const QString& name) {
  auto* child = new QTreeWidgetItem(QStringList{name});
  child->setData(0, kPathRole, ChildPath(PathOf(parent), name));
  child->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
  child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  // Children that were asked for by name go in their sorted place.
  int at = 0;
  while (at < parent->childCount() &&
         parent->child(at)->text(0).compare(name, Qt::CaseInsensitive) < 0)
    ++at;
  parent->insertChild(at, child);
  parent->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  return child;
}

// Reads again every branch that has been read, keeping opened branches open and the
// branch of the current folder, hidden or not.
void TFolderTree::ReloadLoaded(QTreeWidgetItem* item, const QString& current) {
  if (!item || !item->data(0, kLoadedRole).toBool()) return;
  const QString path = PathOf(item);
  const QStringList names = QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                                 QDir::Name | QDir::IgnoreCase);
  // Drop the items of folders that are gone or that a fresh listing would not show.
  for (int i = item->childCount() - 1; i >= 0; --i) {
    QTreeWidgetItem* child = item->child(i);
    const bool exists = names.contains(child->text(0));
    const bool hidden = child->text(0).startsWith(QLatin1Char('.'));
    if (!exists || (hidden && !IsWithin(current, PathOf(child)) && !child->isExpanded()))
      delete item->takeChild(i);
  }
  for (const QString& name : names) {
    if (name.startsWith(QLatin1Char('.'))) continue;
    bool listed = false;
    for (int i = 0; i < item->childCount() && !listed; ++i)
      listed = item->child(i)->text(0) == name;
    if (!listed) AddChild(item, name);
  }
  item->setChildIndicatorPolicy(item->childCount() > 0
                                    ? QTreeWidgetItem::ShowIndicator
                                    : QTreeWidgetItem::DontShowIndicatorWhenChildless);
  for (int i = 0; i < item->childCount(); ++i) ReloadLoaded(item->child(i), current);
}

void TFolderTree::OnCurrentItemChanged() {
  const QString directory = Directory();
  if (directory == LastDirectory) return;
  LastDirectory = directory;
  emit Changed();
}

}  // namespace varsik
