#include "tree/prop_data.h"

#include <algorithm>
#include <charconv>

#include "platform/text.h"

CategoryList::CategoryList()
    : m_entries{"Dansband", "Disco", "Hårdrock", "Jazz", "Klassisk", "Pop", "Samlingsalbum", "Soul", "Soundtrack",
                "Synth"} {}

int CategoryList::Find(const std::string& text) const {
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    if (platform::EqualsNoCase(m_entries[i], text)) return static_cast<int>(i);
  }
  return -1;
}

int CategoryList::Add(const std::string& text) {
  const std::string trimmed(platform::TrimBlanks(text));
  if (trimmed.empty() || Find(trimmed) >= 0) return -1;
  const auto at = std::upper_bound(m_entries.begin(), m_entries.end(), trimmed,
                                   [](const std::string& a, const std::string& b) { return platform::NameLess(a, b); });
  const auto row = at - m_entries.begin();
  m_entries.insert(at, trimmed);
  return static_cast<int>(row);
}

PageLock DecidePageLock(bool readOnly, bool artist) {
  return {readOnly, readOnly, readOnly || !artist};
}

void GPropData::ClearFields() {
  m_strCategory.clear();
  m_strPlaytime.clear();
  m_strBitrate.clear();
  m_strTags.clear();
  m_strArtist.clear();
  m_strSize.clear();
  m_nYear = 0;
}

std::optional<int> ParseYearField(const std::string& text) {
  const std::string_view trimmed = platform::TrimBlanks(text);
  if (trimmed.empty()) return 0;
  int year = 0;
  const char* begin = trimmed.data() + (trimmed.front() == '+' ? 1 : 0);
  const auto [end, error] = std::from_chars(begin, trimmed.data() + trimmed.size(), year);
  if (error != std::errc() || end != trimmed.data() + trimmed.size()) return std::nullopt;
  return year;
}
