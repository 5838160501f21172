#include "host/variant.h"

#include <gtest/gtest.h>

#include "base/runtime_error.h"
#include "support/runtime_error_matchers.h"

namespace lirvo::host {
namespace {

using test_support::ThrowsRuntimeError;

TEST(VariantTest, ToLongConvertsLikeTheRuntime) {
  EXPECT_EQ(ToLong(Variant{int64_t{1005}}), 1005);
  EXPECT_EQ(ToLong(Variant{std::string("1005")}), 1005);
  EXPECT_EQ(ToLong(Variant{std::string(" 12 ")}), 12);
  EXPECT_EQ(ToLong(Variant{std::string("2,5")}), 2);  // half to even
  EXPECT_EQ(ToLong(Variant{std::string("3,5")}), 4);
  EXPECT_EQ(ToLong(Variant{std::string("1.005")}), 1005);  // thousands separator
  EXPECT_EQ(ToLong(Variant{-2.5}), -2);
  EXPECT_EQ(ToLong(Variant{true}), -1);
  EXPECT_EQ(ToLong(Variant{Empty{}}), 0);
  EXPECT_THAT([] { ToLong(Variant{std::string("abc")}); }, ThrowsRuntimeError(kErrTypeMismatch));
  EXPECT_THAT([] { ToLong(Variant{std::string("")}); }, ThrowsRuntimeError(kErrTypeMismatch));
  EXPECT_THAT([] { ToLong(Variant{int64_t{3000000000}}); }, ThrowsRuntimeError(kErrOverflow));
  EXPECT_THAT([] { ToLong(Variant{1e12}); }, ThrowsRuntimeError(kErrOverflow));
  EXPECT_THAT([] { ToLong(Variant{Null{}}); }, ThrowsRuntimeError(kErrInvalidUseOfNull));
  EXPECT_THAT([] { ToLong(Variant{std::shared_ptr<Dispatch>()}); },
              ThrowsRuntimeError(kErrTypeMismatch));
}

TEST(VariantTest, ToTextAndToBoolean) {
  EXPECT_EQ(ToText(Variant{int64_t{-7}}), "-7");
  EXPECT_EQ(ToText(Variant{12.5}), "12,5");
  EXPECT_EQ(ToText(Variant{false}), "False");
  EXPECT_EQ(ToText(Variant{Empty{}}), "");
  EXPECT_THAT([] { ToText(Variant{Null{}}); }, ThrowsRuntimeError(kErrInvalidUseOfNull));
  EXPECT_TRUE(ToBoolean(Variant{true}));
  EXPECT_FALSE(ToBoolean(Variant{Null{}}));  // a Null save result reads as False
  EXPECT_FALSE(ToBoolean(Variant{Empty{}}));
  EXPECT_TRUE(ToBoolean(Variant{int64_t{-1}}));
  EXPECT_TRUE(ToBoolean(Variant{std::string("true")}));
  EXPECT_THAT([] { ToBoolean(Variant{std::string("forse")}); },
              ThrowsRuntimeError(kErrTypeMismatch));
  EXPECT_THAT([] { ToObject(Variant{int64_t{1}}); }, ThrowsRuntimeError(kErrObjectNotSet));
}

TEST(VariantTest, OnlyAOneDimensionalArrayWithIndexZeroHasParamZero) {
  EXPECT_EQ(ParamArray::Unallocated().Element0(), nullptr);
  EXPECT_EQ(ParamArray::Of({}).Element0(), nullptr);
  EXPECT_EQ(ParamArray::TwoDimensional(2, 2).Element0(), nullptr);
  EXPECT_EQ(ParamArray::Of({Variant{int64_t{5}}}, 1).Element0(), nullptr);  // bounds 1..1
  const ParamArray from_minus_one = ParamArray::Of({Variant{int64_t{4}}, Variant{int64_t{5}}}, -1);
  ASSERT_NE(from_minus_one.Element0(), nullptr);
  EXPECT_EQ(ToLong(*from_minus_one.Element0()), 5);
  const ParamArray one = ParamArray::Of({Variant{std::string("Referti Lirvo")}});
  ASSERT_NE(one.Element0(), nullptr);
  EXPECT_EQ(ToText(*one.Element0()), "Referti Lirvo");
}

}  // namespace
}  // namespace lirvo::host
