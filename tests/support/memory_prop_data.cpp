#include "memory_prop_data.h"

#include "res/resource_ids.h"

namespace testing_support {

bool MemoryPropData::UpdateData(bool pull) {
  if (pull) {
    const auto year = ParseYearField(yearText);
    m_strCategory = categoryText;
    if (year) m_nYear = *year;
    m_strPlaytime = playtimeText;
    m_strBitrate = bitrateText;
    m_strArtist = artistText;
    m_strSize = sizeText;
    return year.has_value();
  }
  categoryText = m_strCategory;
  categorySelection = Categories().Find(m_strCategory);
  yearText = m_nYear ? std::to_string(m_nYear) : "";
  playtimeText = m_strPlaytime;
  bitrateText = m_strBitrate;
  tagsText = m_strTags;
  artistText = m_strArtist;
  sizeText = m_strSize;
  return true;
}

void MemoryPropData::SetDlgItemText(int id, const std::string& text) {
  if (id == res::IDC_CATEGORY_READONLY) readOnlyCategoryText = text;
  if (id == res::IDC_SIZE) sizeText = text;
  if (id == res::IDC_BITRATE) bitrateText = text;
  if (id == res::IDC_TAGS) tagsText = text;
  if (id == res::IDC_PLAYTIME) playtimeText = text;
}

}  // namespace testing_support
