// 母艦's menu bar, built from the menu records of the model: a top-level item
// without items of its own is an action of the bar, one with items opens a
// pop-up menu; separators, ticks, shortcuts, pictures, visibility and
// enabling follow the records. A choice of the user goes to `chosen`.
#pragma once
#include <QPointer>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "gui/model.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace tama::qt {

class TMenus {
 public:
  // `node`: the live record of a number; `chosen`: the user chose the item;
  // `bury`: a widget to be deleted when no handler runs
  TMenus(std::function<const gui::TObjNode*(int)> node, std::function<void(int)> chosen,
         std::function<void(QWidget*)> bury)
      : node_(std::move(node)), chosen_(std::move(chosen)), bury_(std::move(bury)) {}
  ~TMenus();

  // The window the bar belongs to (its bar is made on first use).
  void Attach(QWidget* window);
  // A menu record made, changed or gone.
  void Created(const gui::TObjNode& node);
  void Changed(const gui::TObjNode& node);
  void Destroyed(const gui::TObjNode& node);
  // The bar's height (0 while it has nothing to show).
  int Height() const { return height_; }
  // Places the bar over the client area.
  void Place(int width);
  // The item chosen as the user does it (false when it cannot be chosen).
  bool Choose(int number);
  // Called after every rebuild that changed the bar's height.
  std::function<void()> heightChanged;

 private:
  struct TEntry {
    QPointer<QAction> action;
    QPointer<QMenu> menu;  // with items of its own
  };
  void Build();
  void Update(const gui::TObjNode& node, TEntry& entry);
  std::string Shape();
  void Add(int number, QMenu* into, int depth);

  std::function<const gui::TObjNode*(int)> node_;
  std::function<void(int)> chosen_;
  std::function<void(QWidget*)> bury_;
  QPointer<QWidget> window_;
  QPointer<QMenuBar> bar_;
  QPointer<QWidget> holder_;  // owns the actions and pop-ups of the current build
  std::set<int> numbers_;     // the live menu items
  std::map<int, TEntry> entries_;
  std::string shape_;         // the structure the current build shows
  int height_ = 0;
};

}  // namespace tama::qt
