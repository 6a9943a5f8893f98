// The details page's play time: every node kind, the marked songs, missing files, and
// the reading behind it that never keeps the caller waiting.
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <semaphore>
#include <set>
#include <thread>

#include "library_fixture.h"
#include "mp3_frames.h"
#include "tree/play_time_reader.h"
#include "tree/details_presenter.h"
#include "tree/library_marks.h"

using namespace tree;

namespace {

class PlayTimeTest : public testing_support::LibraryFixture {
 protected:
  PlayTimeTest() {
    // 2300 frames of 1152 samples at 44.1 kHz: 60.08 s; 1150 frames: 30.04 s.
    Write("Rock/album.ini", "[Album:Live]\nArtist=The Band\nT1=a.mp3, A\nT2=b.mp3, B\nT3=gone.mp3, Gone\n");
    Song("Rock/a.mp3", 2300);
    Song("Rock/b.mp3", 1150);
    Song("Loose/c.mp3", 2300);
    Write("Loose/text.mp3", "no frames: no play time");
    view.Details().SetPlayTimeReader(&reader);
    Scan();
  }
  // What the page shows for the node once everything it asked for is read: each time
  // the reader wakes the window, the page takes what came in, as the window does.
  std::string Settled(const TreeItem& node) {
    view.Details().SelectAndShow(node);
    while (reader.Busy()) {
      woken.acquire();
      view.Details().ShowPlayTime();
    }
    return page.m_strPlaytime;
  }
  std::counting_semaphore<> woken{0};
  PlayTimeReader reader{settingsDir / "cache/playtimes", [this] { woken.release(); }};
};

TEST_F(PlayTimeTest, EveryNodeShowsTheSumOfItsSongsAndOfItsMarkedOnes) {
  EXPECT_EQ(Settled(Find("The Band|Live|A")), "1:00");
  EXPECT_EQ(Settled(Find("The Band|Live")), "1:30");  // the missing song counts nothing
  EXPECT_EQ(Settled(Find("The Band")), "1:30");
  EXPECT_EQ(Settled(view.Top()), "2:30");  // a file without frames counts nothing too
  view.Marks().ToggleMark(Find("The Band|Live|B"));
  EXPECT_EQ(Settled(view.Top()), "2:30 (0:30)");
  EXPECT_EQ(Settled(Find("The Band|Live|B")), "0:30 (0:30)");
}

// The whole library's times add up as they come in, the marked songs' too, without
// summing the tree again each time.
TEST_F(PlayTimeTest, TheLibrarysTimeGrowsAsItsSongsComeIn) {
  view.Marks().ToggleMark(Find("The Band|Live|B"));
  view.Marks().ToggleMark(Find(Volume() + "|Loose|c"));
  EXPECT_EQ(Settled(view.Top()), "2:30 (1:30)");
  view.Marks().ToggleMark(Find(Volume() + "|Loose|c"));  // a click selects the song
  EXPECT_EQ(Settled(view.Top()), "2:30 (0:30)");
  // A new song: only its time is read, and the total takes it.
  Song("Loose/d.mp3", 1150);
  ASSERT_TRUE(view.ReadFoldersAgain({dir / "Loose/"}));
  EXPECT_EQ(Settled(view.Top()), "3:00 (0:30)");
}

// More songs than are asked for at once: the rest are asked for as the first come in,
// until every one is known.
TEST_F(PlayTimeTest, MoreSongsThanAskedForAtOnceAreAllRead) {
  view.Details().SetPlayTimeReader(&reader, 1);
  Scan();  // a new tree: no play time known
  EXPECT_EQ(Settled(view.Top()), "2:30");
  view.Marks().ToggleMark(Find("The Band"));
  EXPECT_EQ(Settled(view.Top()), "2:30 (1:30)");
}

// Seconds take two digits: a zero goes before 0 to 9, none before 10 and up.
TEST_F(PlayTimeTest, SecondsShowWithTwoDigits) {
  Song("Ten/nine.mp3", 345);  // 9.01 s
  Song("Ten/ten.mp3", 383);   // 10.01 s
  Scan();
  EXPECT_EQ(Settled(Find(Volume() + "|Ten|nine")), "0:09");
  EXPECT_EQ(Settled(Find(Volume() + "|Ten|ten")), "0:10");
  EXPECT_EQ(Settled(Find(Volume() + "|Ten")), "0:19");
}

// A track of no frames (its Info tag counts none, as an encoder writes for empty input)
// takes 0:00: read, not waited for.
TEST_F(PlayTimeTest, AnEmptyTrackTakesNoTimeAndLeavesNothingWaiting) {
  std::string empty = testing_support::SilentMp3Frames(1);
  empty.replace(36, 4, "Info");
  empty.replace(40, 8, std::string("\0\0\0\x01\0\0\0\0", 8));  // a frame count follows: zero
  Write("Empty/silence.mp3", empty);
  Scan();
  EXPECT_EQ(Settled(view.Top()), "2:30");  // the library's sum, taking times as they come
  EXPECT_EQ(Settled(Find(Volume() + "|Empty|silence")), "0:00");
  EXPECT_EQ(Settled(Find(Volume() + "|Empty")), "0:00");
}

TEST_F(PlayTimeTest, WhatIsNotReadYetShowsAsPendingAndTheCacheServesTheNextRun) {
  view.Details().SelectAndShow(Find("The Band|Live"));
  const std::string first = page.m_strPlaytime;  // at once, whatever was read by then
  EXPECT_TRUE(first == "1:30" || first.ends_with("\u2026")) << first;
  EXPECT_EQ(Settled(Find("The Band|Live")), "1:30");
  {
    std::counting_semaphore<> keeperWoken{0};
    PlayTimeReader keeper(settingsDir / "kept", [&] { keeperWoken.release(); });
    keeper.Request({{Find("The Band|Live|A").m_hItem, dir / "Rock/a.mp3"}});
    while (keeper.Busy()) {
      keeperWoken.acquire();
      keeper.TakeResults();
    }
  }  // saved on the way out
  catalogue::PlayTimeCache cache(settingsDir / "kept");
  EXPECT_EQ(cache.Find(dir / "Rock/a.mp3", 2300 * 417, 0), std::nullopt);  // kept with the file's own time
  const auto stored = [&] {
    struct stat st {};
    ::stat((dir / "Rock/a.mp3").c_str(), &st);
    return cache.Find(dir / "Rock/a.mp3", static_cast<std::uint64_t>(st.st_size),
                      std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec);
  }();
  ASSERT_TRUE(stored);
  EXPECT_EQ(*stored, 60082u);
}

// The song the user selects last is read next, even while thousands asked for before
// are being read; every one asked for comes in once.
TEST_F(PlayTimeTest, TheNewestRequestIsReadBeforeTheRestOfALongOne) {
  std::counting_semaphore<> otherWoken{0};
  std::atomic<bool> holdNextWake{false};
  std::binary_semaphore readerHeld{0}, readerMayGoOn{0};
  // The reader wakes the window from the middle of a long request once 200 ms have
  // passed since it last did; this test holds it there to ask for the selected song.
  PlayTimeReader other(settingsDir / "other", [&] {
    if (holdNextWake.exchange(false)) {
      readerHeld.release();
      readerMayGoOn.acquire();
    }
    otherWoken.release();
  });
  const auto takeAll = [&] {
    std::vector<std::pair<Handle, std::int64_t>> results;
    while (other.Busy()) {
      otherWoken.acquire();
      for (const auto& result : other.TakeResults()) results.push_back(result);
    }
    return results;
  };
  other.Request({{4999, dir / "none/first.mp3"}});
  ASSERT_EQ(takeAll().size(), 1u);  // the reader has woken the window, just now
  std::this_thread::sleep_for(std::chrono::milliseconds(250));

  std::vector<std::pair<Handle, std::string>> many;
  for (Handle song = 1; song <= 4000; ++song) many.emplace_back(song, dir / ("none/" + std::to_string(song) + ".mp3"));
  const Handle selected = 5000;
  holdNextWake = true;
  other.Request(std::move(many));
  readerHeld.acquire();  // the first of the 4000 is read, the rest are in hand
  other.Request({{selected, dir / "Rock/a.mp3"}});
  readerMayGoOn.release();
  const auto results = takeAll();
  ASSERT_EQ(results.size(), 4001u);
  EXPECT_EQ(results[0].first, 1u);
  EXPECT_EQ(results[1].first, selected);
  EXPECT_EQ(results[1].second, 60082);
  std::set<Handle> songs;
  for (const auto& [song, playTime] : results) songs.insert(song);
  EXPECT_EQ(songs.size(), 4001u);
}

// Play times read for nodes a Refresh dropped come in afterwards: they are taken and
// dropped, never given to the new nodes that took the old ones' places.
TEST_F(PlayTimeTest, PlayTimesOfDroppedNodesNeverLandOnNewOnes) {
  Song("Rock/a.mp3", 1150);  // the next scan finds a shorter file...
  Song("Loose/c.mp3", 2300);
  view.Details().SelectAndShow(view.Top());  // ...after every song was asked for
  woken.acquire();  // some have come in, none taken yet
  Scan();
  EXPECT_EQ(Settled(Find("The Band|Live|A")), "0:30");
  EXPECT_EQ(Settled(view.Top()), "2:00");
}

}  // namespace
