// A test that starts from a fresh exchange state and feeds it lines.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>

#include "exchange/KdxGaibu.h"

class TExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override { GaibuInit(); }
  static void Parse(std::initializer_list<std::string_view> lines) {
    for (auto l : lines) ParseLine(l);
  }
};
