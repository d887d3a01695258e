// Clips of one name are told apart by short numbered names, however many there are.
#include <gtest/gtest.h>

#include <set>

#include "host/sim/import/animation_timeline.h"

namespace {

sim::import::ImportedAnimation Still(const std::wstring& name) {
  sim::import::ImportedAnimation animation;
  animation.name = name;
  sim::import::ImportedChannel channel;
  channel.node = 0;
  channel.times = {0.0f};
  channel.values = {0, 0, 0};
  animation.channels.push_back(channel);
  return animation;
}

std::vector<std::wstring> ClipNames(const std::vector<std::wstring>& animationNames) {
  sim::import::ImportedModel model;
  for (const std::wstring& name : animationNames) model.animations.push_back(Still(name));
  sim::import::LayOutClips(model, "model.gltf");
  std::vector<std::wstring> names;
  for (const auto& clip : model.clips) names.push_back(clip.name);
  return names;
}

TEST(ClipNames, RepeatedNamesAreNumberedPastNamesAlreadyTaken) {
  EXPECT_EQ(ClipNames({L"Walk", L"Run", L"Walk", L"Walk"}),
            (std::vector<std::wstring>{L"Walk", L"Run", L"Walk_2", L"Walk_3"}));
  // A clip of the file already called Walk_2 keeps that name; the numbering goes past it, and a
  // repeat of Walk_2 is numbered in turn.
  EXPECT_EQ(ClipNames({L"Walk_2", L"Walk", L"Walk", L"Walk_2", L""}),
            (std::vector<std::wstring>{L"Walk_2", L"Walk", L"Walk_3", L"Walk_2_2", L""}));
}

TEST(ClipNames, ThousandsOfOneNameStayDistinctAndShort) {
  // Named one after the other in quadratic (or worse) time this would take minutes.
  const std::size_t count = 20000;
  std::vector<std::wstring> names = ClipNames(std::vector<std::wstring>(count, L"Take"));
  ASSERT_EQ(names.size(), count);
  EXPECT_EQ(std::set<std::wstring>(names.begin(), names.end()).size(), count);
  EXPECT_EQ(names.back(), L"Take_20000");
  for (const std::wstring& name : names) ASSERT_LE(name.size(), 10u);
}

}  // namespace
