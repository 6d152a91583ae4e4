#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <thread>

#include "platform/Automation.h"

namespace tallowin::platform {
namespace {

TEST(Automation, VariantCoercions) {
    const struct {
        const char* name;
        Variant value;
        bool asBool;
        std::int64_t asInteger;
        double asReal;
        std::u16string asWide;
    } cases[] = {
        {"empty", Variant(), false, 0, 0.0, u""},
        {"true", Variant(true), true, 1, 1.0, u"True"},
        {"false", Variant(false), false, 0, 0.0, u"False"},
        {"integer", Variant(-42), true, -42, -42.0, u"-42"},
        {"zero", Variant(0), false, 0, 0.0, u"0"},
        {"real truncates toward zero", Variant(-2.75), true, -2, -2.75, u"-2.75"},
        {"whole real", Variant(3.0), true, 3, 3.0, u"3"},
        {"huge real saturates", Variant(1e300), true, std::numeric_limits<std::int64_t>::max(),
         1e300, u"1e+300"},
        {"not a number", Variant(std::nan("")), true, 0, std::nan(""), u"nan"},
        {"text is no number", Variant(u"12"), false, 0, 0.0, u"12"},
        {"object", Variant(AutomationObject(std::make_shared<Dispatch>())), false, 0, 0.0, u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value.AsBool(), c.asBool) << c.name;
        EXPECT_EQ(c.value.AsInteger(), c.asInteger) << c.name;
        if (std::isnan(c.asReal)) {
            EXPECT_TRUE(std::isnan(c.value.AsReal())) << c.name;
        } else {
            EXPECT_EQ(c.value.AsReal(), c.asReal) << c.name;
        }
        EXPECT_EQ(c.value.AsWide(), c.asWide) << c.name;
    }
    EXPECT_TRUE(Variant(7).AsObject().IsEmpty());
}

TEST(Automation, TextsCrossAsUtf16) {
    const Variant value(common::Text("中文 abc"));
    EXPECT_EQ(value.AsWide(), u"中文 abc");
    EXPECT_EQ(value.AsText(), "中文 abc");
    EXPECT_EQ(Variant(u"\u0E01x").AsText(), "?x");  // not in the ANSI code page
    EXPECT_EQ(Variant(12).AsText(), "12");
}

// An object with one property, one method that throws and nothing else.
class Sample : public Dispatch {
public:
    std::optional<Variant> GetProperty(std::string_view name,
                                       std::span<const Variant> args) override {
        if (SameName(name, "Value") && args.empty()) return Variant(value_);
        return std::nullopt;
    }
    bool SetProperty(std::string_view name, const Variant& value) override {
        if (!SameName(name, "Value")) return false;
        value_ = value.AsInteger();
        return true;
    }
    std::optional<Variant> Invoke(std::string_view name, std::span<const Variant> args) override {
        if (SameName(name, "Fail")) throw std::runtime_error("inside the object");
        if (SameName(name, "Add") && args.size() == 2)
            return Variant(args[0].AsInteger() + args[1].AsInteger());
        return std::nullopt;
    }

private:
    std::int64_t value_ = 5;
};

TEST(Automation, FailedCallsGiveEmptyValues) {
    const AutomationObject none;
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_TRUE(none.Get("Value").IsEmpty());
    EXPECT_FALSE(none.Set("Value", 1));
    EXPECT_TRUE(none.Call("Add", {1, 2}).IsEmpty());

    const AutomationObject sample(std::make_shared<Sample>());
    EXPECT_EQ(sample.Get("value").AsInteger(), 5);
    EXPECT_TRUE(sample.Set("Value", 9));
    EXPECT_EQ(sample.Get("Value").AsInteger(), 9);
    EXPECT_EQ(sample.Call("Add", {2, 3}).AsInteger(), 5);
    EXPECT_TRUE(sample.Get("Missing").IsEmpty());
    EXPECT_FALSE(sample.Set("Missing", 1));
    EXPECT_TRUE(sample.Call("Add", {2}).IsEmpty());
    EXPECT_TRUE(sample.Call("Fail").IsEmpty());  // the exception stays inside

    const AutomationObject bare(std::make_shared<Dispatch>());
    EXPECT_TRUE(bare.Get("Anything").IsEmpty());
    EXPECT_FALSE(bare.Set("Anything", 1));
    EXPECT_TRUE(bare.Call("Anything").IsEmpty());
}

TEST(Automation, ClassesByName) {
    EXPECT_TRUE(CreateObject("No.SuchClass").IsEmpty());
    EXPECT_TRUE(CreateObject("").IsEmpty());
    EXPECT_FALSE(CreateObject("VBScript.RegExp").IsEmpty());

    RegisterObjectClass("Tallowin.Sample", [] { return std::make_shared<Sample>(); });
    const AutomationObject first = CreateObject("tallowin.sample");
    const AutomationObject second = CreateObject("Tallowin.Sample");
    ASSERT_FALSE(first.IsEmpty());
    EXPECT_NE(first, second);  // a new object each time
    first.Set("Value", 1);
    EXPECT_EQ(second.Get("Value").AsInteger(), 5);

    RegisterObjectClass("Tallowin.Throws",
                        []() -> std::shared_ptr<Dispatch> { throw std::runtime_error("no"); });
    EXPECT_TRUE(CreateObject("Tallowin.Throws").IsEmpty());
}

TEST(Automation, InitialisationIsCountedPerThread) {
    const int before = AutomationInitCount();
    InitializeAutomation();
    InitializeAutomation();
    EXPECT_EQ(AutomationInitCount(), before + 2);
    int other = -1;
    std::thread([&] {
        InitializeAutomation();
        other = AutomationInitCount();
        UninitializeAutomation();
    }).join();
    EXPECT_EQ(other, 1);
    UninitializeAutomation();
    UninitializeAutomation();
    EXPECT_EQ(AutomationInitCount(), before);
    UninitializeAutomation();  // unpaired: the count stays at zero
    EXPECT_EQ(AutomationInitCount(), std::max(before - 1, 0));
    if (before > 0) InitializeAutomation();
}

}  // namespace
}  // namespace tallowin::platform
