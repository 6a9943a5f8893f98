// GPropData: the details page as the library tree sees it. The tree fills the members
// and pushes them to the controls, and pulls the controls back before the selection
// moves. The desktop program's page implements the control side.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "text/gstring.h"

// The category list of the page: starts with ten entries, stays sorted, never holds
// two entries that differ only in letter case, and never loses an entry.
class CategoryList {
 public:
  CategoryList();
  // Adds the trimmed text at its sorted place unless it is empty or already listed.
  // Returns the row it was added at, or -1.
  int Add(const std::string& text);
  // The row of the entry equal to text without regard to case, or -1.
  int Find(const std::string& text) const;
  const std::vector<std::string>& Entries() const { return m_entries; }

 private:
  std::vector<std::string> m_entries;
};

// Which controls SetReadOnly locks.
struct PageLock {
  bool categoryReadOnly = false;  // the read-only edit 1009 shows instead of the combo 1008
  bool yearReadOnly = false;
  bool artistReadOnly = false;
};
PageLock DecidePageLock(bool readOnly, bool artist);

class GPropData {
 public:
  virtual ~GPropData() = default;

  // Empties the text members and sets the year to 0; the controls keep what they show.
  void ClearFields();
  // readOnly: the category shows in the read-only edit 1009 and year and artist are
  // read-only. The artist is editable only when readOnly is 0 and artist is non-zero.
  virtual void SetReadOnly(bool readOnly, bool artist) = 0;
  // Adds the trimmed text to the category list unless it is there already; the page
  // shows the new entry.
  void AddCategory(const GString& text) {
    const int row = m_categories.Add(text);
    if (row >= 0) OnCategoryAdded(row);
  }
  // The categories the page offers, shared with the add-album dialog.
  const CategoryList& Categories() const { return m_categories; }
  // pull (true): controls to members; push (false): members to controls. False when
  // the pulled year was no number: the year member keeps its value, the others are pulled.
  virtual bool UpdateData(bool pull) = 0;
  // The text of a control, for the read-only category edit 1009.
  virtual void SetDlgItemText(int id, const std::string& text) = 0;

  GString m_strCategory;
  int m_nYear = 0;
  GString m_strPlaytime;
  GString m_strBitrate;
  GString m_strTags;  // the song's own tags, a line each; read only
  GString m_strArtist;
  GString m_strSize;

 protected:
  // The control side of AddCategory: the entry at row is new.
  virtual void OnCategoryAdded(int row) = 0;

 private:
  CategoryList m_categories;
};

// The year as the page's year field gives it: a whole number (blanks around it
// allowed), 0 for an empty field, nothing for anything else.
std::optional<int> ParseYearField(const std::string& text);
