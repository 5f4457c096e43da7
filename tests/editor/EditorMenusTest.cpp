// The editor's appearance menus with the real module and form in a headless
// window: Shadow and Magnitude toggle and redraw, the font-quality radio
// items can all be switched off, Keys Required reaches the module, and none
// of them touches a parameter.

#include <gtest/gtest.h>

#include <vector>

#include "tests/editor/EditorFixture.h"
#include "tests/framework/ModuleFixtures.h"

namespace tessel {
namespace {

using testing::MakeHeadlessOrvane;

std::vector<float> Values(TOrvaneModule& m) {
    std::vector<float> v;
    for (int i = 0; i < m.numParams(); ++i) v.push_back(m.ReadParameter(i));
    return v;
}

TEST(EditorMenus, AppearanceItemsToggleRedrawAndLeaveParametersAlone) {
    auto m = MakeHeadlessOrvane();
    ASSERT_EQ(m->Open(), 1);
    ASSERT_TRUE(m->WaitForFrame());
    const std::vector<float> before = Values(*m);
    TFmOrvane& form = *m->Form;
    const auto click = [&](const char* item) {
        m->OnEditorThread([&] { form.MenuItem(item).Click(); });
        EXPECT_TRUE(m->WaitForFrame());
    };
    const auto checks = [&](std::initializer_list<const char*> items) {
        std::vector<bool> result;
        m->OnEditorThread([&] {
            for (const char* item : items) result.push_back(form.MenuItem(item).Checked());
        });
        return result;
    };
    const auto quality = [&] {
        std::uint8_t q = 0;
        m->OnEditorThread([&] { q = form.FontQuality(); });
        return q;
    };

    // Font quality: choosing High checks it alone; choosing it again leaves
    // no item checked and the quality as it was; ClearType's tag -1 is 255.
    const auto qualities = {"MILow", "MIMiddle", "MIHigh", "MIClearType"};
    EXPECT_EQ(checks(qualities), (std::vector<bool>{false, true, false, false}));
    click("MIHigh");
    EXPECT_EQ(checks(qualities), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(quality(), 4);
    click("MIHigh");
    EXPECT_EQ(checks(qualities), (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(quality(), 4);
    click("MIClearType");
    EXPECT_EQ(checks(qualities), (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(quality(), 255);

    // Magnitude off shows the program's name instead of the curve; Shadow
    // toggles; both are drawn at once.
    TBitmap32 curve, name;
    m->CopyScreen(curve);
    click("MIMagnitude");
    m->CopyScreen(name);
    EXPECT_EQ(checks({"MIMagnitude"}), std::vector<bool>{false});
    int changed = 0;
    for (int y = 8; y < 44; ++y)  // the Knobs style's response strip
        for (int x = 220; x < 501; ++x) changed += curve.Pixel(x, y) != name.Pixel(x, y);
    EXPECT_GT(changed, 100);
    click("MIShadow");
    EXPECT_EQ(checks({"MIShadow"}), std::vector<bool>{false});

    // Keys Required follows its check mark into the module.
    EXPECT_FALSE(m->KeysRequired());
    click("MIKeysRequired");
    EXPECT_TRUE(m->KeysRequired());
    click("MIKeysRequired");
    EXPECT_FALSE(m->KeysRequired());

    EXPECT_EQ(Values(*m), before);
    m->Close();
}

}  // namespace
}  // namespace tessel
