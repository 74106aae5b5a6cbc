// The about window's four lines apart from the window: what they show, where
// the two links lead, and which link line the pointer leaves underlined.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "hpABOUT/AboutLines.h"

namespace nw::about {
namespace {

// Where the pointer moves: over lblINFO(index), or over the window's background.
constexpr int kBackground = -1;

struct Move {
  int over;
  bool mail, web;  // which link lines are underlined afterwards
};

struct Walk {
  const char* name;
  std::vector<Move> moves;
};

void PrintTo(const Walk& walk, std::ostream* out) {
  *out << walk.name;
}

class Underline : public testing::TestWithParam<Walk> {};

TEST_P(Underline, FollowsThePointer) {
  LinkUnderline underline;
  for (int index = 0; index < kInfoLines; ++index) EXPECT_FALSE(underline.IsUnderlined(index));
  int step = 0;
  for (const Move& move : GetParam().moves) {
    SCOPED_TRACE("move " + std::to_string(++step) + " over " + std::to_string(move.over));
    if (move.over == kBackground)
      underline.Form_MouseMove();
    else
      underline.lblINFO_MouseMove(move.over);
    EXPECT_EQ(underline.IsUnderlined(kMailLine), move.mail);
    EXPECT_EQ(underline.IsUnderlined(kWebLine), move.web);
    EXPECT_FALSE(underline.IsUnderlined(kAuthorLine));
    EXPECT_FALSE(underline.IsUnderlined(kCopyrightLine));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Walks, Underline,
    testing::Values(
        Walk{"FromLinkToLink", {{1, true, false}, {2, false, true}, {1, true, false}, {1, true, false}}},
        Walk{"AuthorAndCopyrightLinesClearBoth",
             {{1, true, false}, {0, false, false}, {2, false, true}, {3, false, false}, {0, false, false}}},
        Walk{"BackgroundClearsBoth",
             {{2, false, true}, {kBackground, false, false}, {1, true, false}, {kBackground, false, false}}}),
    [](const testing::TestParamInfo<Walk>& info) { return std::string(info.param.name); });

TEST(InfoLines, LinksLeadWhereTheirLinesSay) {
  const std::wstring mail = InfoText(kMailLine), web = InfoText(kWebLine);
  ASSERT_TRUE(mail.starts_with(L"> "));
  ASSERT_TRUE(web.starts_with(L"> "));
  // The subject stays as it is, spaces and all.
  EXPECT_EQ(LinkTarget(kMailLine), L"mailto:" + mail.substr(2) + L"?subject=Program About Mail");
  EXPECT_EQ(LinkTarget(kWebLine), web.substr(2));
  EXPECT_TRUE(LinkTarget(kWebLine).starts_with(L"http://"));
  EXPECT_TRUE(InfoText(kAuthorLine).starts_with(L"Author: "));
  EXPECT_GT(InfoText(kAuthorLine).size(), 8u);
  EXPECT_FALSE(InfoText(kCopyrightLine).empty());
  for (int index : {kAuthorLine, kCopyrightLine}) EXPECT_EQ(LinkTarget(index), L"") << index;
}

// Ours to choose, so they must not reach anybody real.
TEST(InfoLines, AddressesAreOnTheReservedExampleDomain) {
  const std::wstring mail = InfoText(kMailLine);
  const std::wstring mailHost = mail.substr(mail.find(L'@') + 1);
  const std::wstring web = LinkTarget(kWebLine).substr(7);
  const std::wstring webHost = web.substr(0, web.find(L'/'));
  for (const std::wstring& host : {mailHost, webHost}) {
    EXPECT_TRUE(host == L"example" || host.ends_with(L".example")) << std::string(host.begin(), host.end());
  }
}

}  // namespace
}  // namespace nw::about
