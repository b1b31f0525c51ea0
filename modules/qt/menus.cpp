// 母艦's menu bar from the menu records. The structure (which item lies in
// which, which opens a pop-up) is rebuilt when it changes; captions, ticks,
// shortcuts and the like are set on the actions there are. The actions and
// pop-ups of a build belong to one hidden holder widget, which goes when no
// handler runs (a choice's own handler may change the menus).
#include "menus.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QWidget>

#include "text.h"

namespace tama::qt {

namespace {

bool IsSeparator(const gui::TObjNode& node) { return node.text == "-"; }

// The run-time's shortcut text ("Shift+Ctrl+PgDn") in the toolkit's words.
QKeySequence Shortcut(const std::string& text) {
  if (text.empty()) return QKeySequence();
  QString s = QString::fromStdString(text);
  const size_t plus = text.rfind('+');
  const QString key = plus == std::string::npos ? s : s.mid(static_cast<int>(plus) + 1);
  QString mods = plus == std::string::npos ? QString() : s.left(static_cast<int>(plus) + 1);
  QString name = key;
  if (key == QStringLiteral("BkSp"))
    name = QStringLiteral("Backspace");
  else if (key == QStringLiteral("PgDn"))
    name = QStringLiteral("PgDown");
  return QKeySequence(mods + name, QKeySequence::PortableText);
}

}  // namespace

TMenus::~TMenus() {
  if (bar_) bar_->clear();
  delete holder_.data();
}

void TMenus::Attach(QWidget* window) {
  window_ = window;
  if (!bar_) {
    bar_ = new QMenuBar(window);
    bar_->setNativeMenuBar(false);
    bar_->hide();
  }
  Build();
}

void TMenus::Created(const gui::TObjNode& node) {
  numbers_.insert(node.number);
  Build();
}

void TMenus::Changed(const gui::TObjNode& node) {
  numbers_.insert(node.number);
  Build();
}

void TMenus::Destroyed(const gui::TObjNode& node) {
  numbers_.erase(node.number);
  Build();
}

// One line per live item: number, parent, whether it opens a pop-up, whether
// it is a separator; then the order of the items in each.
std::string TMenus::Shape() {
  std::string shape;
  for (auto it = numbers_.begin(); it != numbers_.end();) {
    const gui::TObjNode* node = node_(*it);
    if (!node || node->kind != gui::kMenu) {
      it = numbers_.erase(it);
      continue;
    }
    shape += std::to_string(node->number) + ":" + std::to_string(node->parent) + (IsSeparator(*node) ? "s" : "") + "[";
    for (int c : node->children)
      if (numbers_.count(c)) shape += std::to_string(c) + ",";
    shape += "]";
    ++it;
  }
  return shape;
}

void TMenus::Add(int number, QMenu* into, int depth) {
  const gui::TObjNode* node = node_(number);
  if (!node || node->kind != gui::kMenu || depth > 64 || entries_.count(number)) return;
  bool items = false;
  for (int c : node->children) items = items || numbers_.count(c) > 0;
  TEntry entry;
  if (IsSeparator(*node)) {
    entry.action = new QAction(holder_);
    entry.action->setSeparator(true);
  } else if (items) {
    entry.menu = new QMenu(holder_);
    entry.action = entry.menu->menuAction();
    // opening the item's pop-up is its choice
    QObject::connect(entry.menu, &QMenu::aboutToShow, [this, number] { chosen_(number); });
  } else {
    entry.action = new QAction(holder_);
    QObject::connect(entry.action, &QAction::triggered, [this, number] {
      chosen_(number);
      // the toolkit ticks a checkable item itself: the record says
      auto it = entries_.find(number);
      const gui::TObjNode* now = node_(number);
      if (it != entries_.end() && now) Update(*now, it->second);
    });
  }
  entry.action->setProperty("tamaNumber", number);
  entries_[number] = entry;
  if (into)
    into->addAction(entry.action);
  else
    bar_->addAction(entry.action);
  Update(*node, entries_[number]);
  if (entry.menu)
    for (int c : std::vector<int>(node->children))
      if (numbers_.count(c)) Add(c, entry.menu, depth + 1);
}

void TMenus::Update(const gui::TObjNode& node, TEntry& entry) {
  QAction* a = entry.action;
  if (!a) return;
  if (!a->isSeparator()) {
    a->setText(Q(node.text));
    a->setCheckable(node.checked);
    a->setChecked(node.checked);
    if (!entry.menu) a->setShortcut(Shortcut(node.shortcut));
    a->setIcon(node.hasPicture && !node.pictureFile.empty()
                   ? QIcon(QPixmap(QString::fromStdString(node.pictureFile)))
                   : QIcon());
  }
  a->setVisible(node.visible);
  a->setEnabled(node.enabled);
}

void TMenus::Build() {
  if (!bar_) return;
  const std::string shape = Shape();
  if (shape != shape_ || !holder_) {
    shape_ = shape;
    bar_->clear();
    entries_.clear();
    if (holder_) bury_(holder_);
    holder_ = new QWidget;
    holder_->hide();
    // the items of the bar in the order they were made
    for (int n : std::set<int>(numbers_))
      if (const gui::TObjNode* node = node_(n); node && node->parent < 0) Add(n, nullptr, 0);
  } else {
    for (auto& [n, entry] : entries_)
      if (const gui::TObjNode* node = node_(n)) Update(*node, entry);
  }
  bool any = false;
  for (QAction* a : bar_->actions()) any = any || a->isVisible();
  const int height = any ? bar_->sizeHint().height() : 0;
  if (height != height_) {
    height_ = height;
    if (heightChanged) heightChanged();
  }
}

void TMenus::Place(int width) {
  if (!bar_) return;
  bar_->setGeometry(0, 0, width, height_);
  bar_->setVisible(height_ > 0);
}

bool TMenus::Choose(int number) {
  auto it = entries_.find(number);
  if (it == entries_.end() || !it->second.action) return false;
  QAction* a = it->second.action;
  if (a->isSeparator() || !a->isEnabled() || !a->isVisible()) return false;
  if (it->second.menu)
    Q_EMIT it->second.menu->aboutToShow();
  else
    a->trigger();
  return true;
}

}  // namespace tama::qt
