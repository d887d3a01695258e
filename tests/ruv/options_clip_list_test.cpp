// The clip list of the options dialog: new rows and their names, the current cell, in-place edits
// with their corrections, deleting, the clip dialog and the read-back.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "ruv/options/clip_list.h"
#include "ruv/options/letters.h"

namespace {

// Rows as "name start end".
std::vector<std::wstring> Rows(const ClipListView& list) {
  std::vector<std::wstring> rows;
  for (int r = 0; r < list.RowCount(); ++r) {
    rows.push_back(list.CellText(r, 0) + L" " + list.CellText(r, 1) + L" " + list.CellText(r, 2));
  }
  return rows;
}

using Strings = std::vector<std::wstring>;

TEST(ClipList, AddClampsIntoTheSceneAndNamesEmptyClips) {
  ClipListView list(0, 100);
  list.AddClipRow(L"Walk", -5, 150);
  list.AddClipRow(L"Back", 50, 10);
  list.AddClipRow(L"", 0, 100);
  EXPECT_EQ(Rows(list), (Strings{L"Walk 0 100", L"Back 10 10", L"Anims_3 0 100"}));
  EXPECT_EQ(list.CurrentRow(), 2) << "a new row becomes current";
  EXPECT_EQ(list.CurrentColumn(), -1);
}

TEST(ClipList, UniqueNamesExtendTheLongestNameHoldingTheBase) {
  ClipListView list(0, 100);
  list.AddClipRow(L"Anims_1", 0, 1);
  list.AddClipRow(L"Anims_2", 0, 1);
  EXPECT_EQ(list.MakeUniqueClipName(L"Anims_2"), L"Anims_2_");
  EXPECT_EQ(list.MakeUniqueClipName(L"Anims_3"), L"Anims_3");
  list.AddClipRow(L"Anims_10", 0, 1);
  EXPECT_EQ(list.MakeUniqueClipName(L"Anims_1"), L"Anims_10_");
  list.AddClipRow(L"xAnims_2", 0, 1);
  EXPECT_EQ(list.MakeUniqueClipName(L"Anims_2"), L"xAnims_2_");
  EXPECT_EQ(list.MakeUniqueClipName(L"anims_2"), L"anims_2") << "case counts";
  list.AddClipRow(L"", 0, 1);
  EXPECT_EQ(list.CellText(4, 0), L"Anims_5");
}

TEST(ClipList, InsertGoesAboveTheCurrentRowOrActsAsAdd) {
  ClipListView list(10, 90);
  list.InsertClipRow();
  EXPECT_EQ(Rows(list), (Strings{L"Anims_1 10 90"}));
  list.AddClipRow(L"Run", 20, 30);
  list.Click(1, 0);
  list.InsertClipRow();
  EXPECT_EQ(Rows(list), (Strings{L"Anims_1 10 90", L"Anims_2 10 90", L"Run 20 30"}));
  EXPECT_EQ(list.CurrentRow(), 1);
  EXPECT_EQ(list.CurrentColumn(), 0) << "the column is kept";
  list.InsertClipRow();
  EXPECT_EQ(list.CellText(1, 0), L"Anims_2_");
  list.InsertRow(9);
  EXPECT_EQ(list.RowCount(), 4) << "an index beyond the rows does nothing";
}

TEST(ClipList, DeleteTakesTheCurrentRowOrTheLast) {
  ClipListView list(0, 100);
  for (const wchar_t* name : {L"A", L"B", L"C", L"D"}) list.AddClipRow(name, 0, 1);
  list.Click(1, 0);
  list.DeleteCurrentOrLastRow();
  EXPECT_EQ(list.CurrentRow(), 0);
  list.Click(-1, -1);
  EXPECT_EQ(list.CurrentRow(), -1);
  list.DeleteCurrentOrLastRow();
  EXPECT_EQ(Rows(list), (Strings{L"A 0 1", L"C 0 1"}));
  list.Click(0, 2);
  list.DeleteCurrentOrLastRow();
  EXPECT_EQ(list.CurrentRow(), -1);
  EXPECT_EQ(list.CurrentColumn(), -1);
  list.DeleteCurrentOrLastRow();
  list.DeleteCurrentOrLastRow();  // empty: nothing happens
  list.DeleteRow(5);
  EXPECT_EQ(list.RowCount(), 0);
}

TEST(ClipList, EditingStartsOnASecondClickOrADoubleClick) {
  ClipListView list(0, 100);
  list.AddClipRow(L"Walk", 0, 50);
  EXPECT_FALSE(list.Click(0, 1));
  EXPECT_FALSE(list.BeginEdit()) << "the first click only makes the cell current";
  EXPECT_TRUE(list.IsCurrentCell(0, 1));
  EXPECT_TRUE(list.Click(0, 1));
  EXPECT_TRUE(list.BeginEdit());
  EXPECT_EQ(list.EditText(), L"0");
  EXPECT_TRUE(list.EditTakesDigitsOnly());
  list.Click(0, 0);
  EXPECT_FALSE(list.BeginEdit());
  list.DoubleClick(0, 2);
  EXPECT_TRUE(list.BeginEdit());
  EXPECT_TRUE(list.IsCurrentCell(0, 2));
  list.DoubleClick(3, 0);
  EXPECT_FALSE(list.BeginEdit()) << "outside every cell there is nothing to edit";
}

TEST(ClipList, NamesTypedInPlaceMustBeIdentifiers) {
  ClipListView list(0, 100);
  list.AddClipRow(L"Walk", 0, 50);
  list.DoubleClick(0, 0);
  for (const wchar_t* bad :
       {L"", L"3walk", L"walk-1", L"walk 1", L"abcdefghijklmnopqrstuvwxyz012345"}) {
    EXPECT_FALSE(list.EndEdit(bad)) << bad;
  }
  EXPECT_EQ(list.CellText(0, 0), L"Walk");
  EXPECT_TRUE(list.EndEdit(L"walk_1"));
  EXPECT_TRUE(list.EndEdit(L"_abcdefghijklmnopqrstuvwxyz0123")) << "31 characters";
  EXPECT_EQ(list.CellText(0, 0), L"_abcdefghijklmnopqrstuvwxyz0123");
}

// A toolkit sets the process locale from the environment; the names it lets through must not
// change with it.
TEST(ClipList, NamesTakeTheLettersOfEveryScriptInEveryLocale) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  for (const char* locale : {"C", "C.UTF-8", "POSIX"}) {
    if (!std::setlocale(LC_ALL, locale)) continue;
    ClipListView list(0, 100);
    list.AddClipRow(L"Walk", 0, 50);
    list.DoubleClick(0, 0);
    for (const wchar_t* good :
         {L"w\u00E4lk", L"\u00C9lan_2", L"\u0445\u043E\u0434", L"\u8D70\u308B", L"\U00020000x"}) {
      EXPECT_TRUE(list.EndEdit(good)) << locale;
      EXPECT_EQ(list.CellText(0, 0), good) << locale;
    }
    for (const wchar_t* bad : {L"w\u20ACl", L"a\u00B7b", L"x\u00D7y", L"\u0663walk"}) {
      EXPECT_FALSE(list.EndEdit(bad)) << locale << ": a symbol, a sign or a non-ASCII digit";
    }
  }
  std::setlocale(LC_ALL, before.c_str());
}

TEST(Letters, RangeEdgesOfTheTable) {
  for (char32_t c : {U'A', U'Z', U'a', U'z', U'\u00AA', U'\u00C0', U'\u00F8', U'\u3041',
                     U'\U00030000', U'\U0003134A'}) {
    EXPECT_TRUE(IsUnicodeLetter(c)) << static_cast<unsigned>(c);
  }
  for (char32_t c : {U'\0', U'@', U'[', U'`', U'{', U'0', U'_', U'\u00D7', U'\u00F7', U'\u3040',
                     U'\U0003134B', char32_t{0x10FFFF}, char32_t{0x110000}, char32_t{0xFFFFFFFF}}) {
    EXPECT_FALSE(IsUnicodeLetter(c)) << static_cast<unsigned>(c);
  }
}

TEST(ClipList, EndFramesAreCorrectedIntoTheSceneAndAfterTheStart) {
  ClipListView list(10, 100);
  list.AddClipRow(L"Walk", 20, 50);
  list.DoubleClick(0, 2);
  EXPECT_TRUE(list.EndEdit(L"150"));
  EXPECT_EQ(Rows(list), (Strings{L"Walk 20 100"}));
  EXPECT_TRUE(list.EndEdit(L"5"));
  EXPECT_EQ(Rows(list), (Strings{L"Walk 10 10"})) << "before the start and before the scene";
  EXPECT_TRUE(list.EndEdit(L"060"));
  EXPECT_EQ(Rows(list), (Strings{L"Walk 10 060"})) << "kept as typed";
  list.Click(0, 1);
  list.Click(0, 1);
  EXPECT_TRUE(list.EndEdit(L"15"));
  EXPECT_EQ(Rows(list), (Strings{L"Walk 15 060"}));
  EXPECT_FALSE(list.EndEdit(L"1a"));
  EXPECT_FALSE(list.EndEdit(L"-5"));
  EXPECT_EQ(Rows(list), (Strings{L"Walk 15 060"}));
}

TEST(ClipList, StartFramesAreCorrectedIntoTheSceneAndBeforeTheEnd) {
  ClipListView list(10, 100);
  list.AddClipRow(L"Walk", 20, 50);
  list.DoubleClick(0, 1);
  EXPECT_TRUE(list.EndEdit(L"5"));
  EXPECT_EQ(Rows(list), (Strings{L"Walk 10 50"}));
  EXPECT_TRUE(list.EndEdit(L"70"));
  EXPECT_EQ(Rows(list), (Strings{L"Walk 70 70"})) << "after the end moves the end along";
  EXPECT_TRUE(list.EndEdit(L"99999999999999999999"));
  EXPECT_EQ(Rows(list), (Strings{L"Walk 100 100"}));

  ClipListView edge(0, 100);
  edge.AddClipRow(L"Walk", 20, 30);
  edge.DoubleClick(0, 2);
  EXPECT_TRUE(edge.EndEdit(L"5"));
  EXPECT_EQ(Rows(edge), (Strings{L"Walk 5 5"}));
}

TEST(ClipList, RowsReadBackAsClips) {
  ClipListView list(0, 100);
  list.AddClipRow(L"Walk", 0, 50);
  list.AddClipRow(L"a_name_longer_than_thirty_one_chars", 10, 20);
  list.DoubleClick(0, 2);
  list.EndEdit(L"060");
  AnimationClips clips = list.ReadClipRows();
  ASSERT_EQ(clips.size(), 2u);
  EXPECT_EQ(clips[0].endKey, 60);
  EXPECT_EQ(clips[1].name, L"a_name_longer_than_thirty_one_c");
  EXPECT_EQ(clips[1].startKey, 10);
}

TEST(ClipDialog, OpensOnTheSceneAndAddsOnOk) {
  ClipListView list(0, 100);
  list.AddClipRow(L"Anims_1", 0, 1);
  list.AddClipRow(L"Run", 0, 1);
  ClipDialogValues values = OpenClipDialog(list);
  EXPECT_EQ(values.name, L"Anims_3");
  EXPECT_EQ(values.start, 0);
  EXPECT_EQ(values.end, 100);
  EXPECT_EQ(values.maxFrame, 100);
  values.name = L"";
  AcceptClipDialog(list, values);
  EXPECT_EQ(Rows(list).back(), L"Anims_3 0 100");
  values = {std::wstring(70, L'x'), 80, 20, 0, 100};
  AcceptClipDialog(list, values);
  EXPECT_EQ(list.CellText(3, 0).size(), 63u);
  EXPECT_EQ(list.CellText(3, 1), L"20");
}

}  // namespace
