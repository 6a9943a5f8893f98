// A details page without a display: the controls are plain fields that behave like
// the desktop program's page.
#pragma once

#include <string>

#include "tree/prop_data.h"

namespace testing_support {

class MemoryPropData : public GPropData {
 public:
  void SetReadOnly(bool readOnly, bool artist) override { lock = DecidePageLock(readOnly, artist); }
  bool UpdateData(bool pull) override;
  void SetDlgItemText(int id, const std::string& text) override;

  // The controls.
  std::string categoryText;   // the combo's edit field
  int categorySelection = -1; // the list entry selected, -1 for none
  std::string yearText;
  std::string playtimeText = " 0:0";
  std::string bitrateText;
  std::string tagsText;
  std::string artistText;
  std::string sizeText;
  std::string readOnlyCategoryText;  // edit 1009
  PageLock lock;

 protected:
  void OnCategoryAdded(int) override {}
};

}  // namespace testing_support
