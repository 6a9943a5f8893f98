// A Refresh with the main window attached (offscreen, painted after it) against the
// same Refresh without any view, in one process.
// Usage: view_bench [LIBRARY]   (without one, the default library is generated first)
#include <QApplication>
#include <cstdio>
#include <iostream>

#include "bench_timing.h"
#include "library_generator.h"
#include "library_view.h"
#include "main_frame.h"
#include "qt_ui_hooks.h"
#include "res/command_line.h"
#include "temp_dir.h"

int main(int argc, char** argv) {
  constexpr const char* kUsage =
      "usage: view_bench [LIBRARY]\nTimes a Refresh with the window attached (offscreen) against one without a view.\n";
  if (const auto status = res::HandleCommonOptions(argc, argv, "view_bench", kUsage, {}, 1)) return *status;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QtUiHooks hooks;
  testing_support::TempDir scratch;
  std::string library = argc > 1 ? std::string(argv[1]) : scratch / "library/";
  if (library.back() != '/') library += '/';
  if (argc <= 1) {
    std::cout << "generating the library..." << std::endl;
    GenerateLibrary(library, LibraryShape{});
  }
  const auto settle = [] { QApplication::processEvents(); };

  STreeView bare;
  bare.SetSettingsPaths(scratch.path(), scratch / "Melodeck.ini");
  bare.OnInitialUpdate();
  settle();
  bare.Refresh(library);  // warms the page cache
  const double without = BestSeconds(3, [&] {
    bare.Refresh(library);
    settle();
  });

  CMainFrame frame;
  frame.show();
  frame.Tree().OnInitialUpdate();
  settle();
  frame.Tree().Refresh(library);
  settle();
  const double with = BestSeconds(3, [&] {
    frame.Tree().Refresh(library);
    settle();
    frame.View()->viewport()->repaint();
  });
  // A folder of 2,000 loose files: expand it and page through it to the end.
  const std::string crowded = scratch / "crowded/";
  GenerateLibrary(crowded, LibraryShape{1, 0, 0, 2000, 1, 1});
  frame.Tree().Refresh(crowded);
  settle();
  QTreeView* view = frame.View();
  QModelIndex folder = view->model()->index(0, 0);
  while (view->model()->rowCount(folder) == 1) folder = view->model()->index(0, 0, folder);
  const double browse = BestSeconds(3, [&] {
    view->collapse(folder);
    view->expand(folder);
    for (int row = 0; row < view->model()->rowCount(folder); row += 20) {
      view->scrollTo(view->model()->index(row, 0, folder), QAbstractItemView::PositionAtTop);
      view->viewport()->repaint();
    }
  });
  std::printf("expanding %d files and paging through them: %.3f s\n", view->model()->rowCount(folder), browse);
  std::printf("Refresh without a view %8.3f s\n", without);
  std::printf("Refresh with the window %8.3f s\n", with);
  std::printf("view ratio (target at most 1.3): %.2f\n", with / without);
  return 0;
}
