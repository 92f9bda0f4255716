#include "tesk_vumo/forms/i18n.h"

#include <gtest/gtest.h>

using namespace tesk_vumo;

TEST(Translation, HostChoosesTheLanguageOfTheLibraryTexts)
{
    const wxString saved = wxString::FromUTF8("保存图片成功");
    EXPECT_EQ(i18n::gettext(saved), saved) << "texts as written by default";

    ASSERT_TRUE(i18n::set_language("en"));
    EXPECT_EQ(i18n::gettext(saved), "The image was saved.");
    EXPECT_EQ(i18n::tr("错误"), "Error");
    EXPECT_EQ(i18n::tr("not in the catalogue"), "not in the catalogue");

    ASSERT_TRUE(i18n::set_language("zh_CN"));
    EXPECT_EQ(i18n::gettext(saved), saved);

    EXPECT_FALSE(i18n::set_language("xx_YY"));
    EXPECT_EQ(i18n::gettext(saved), saved) << "a failed choice changes nothing";

    ASSERT_TRUE(i18n::set_language(""));
    EXPECT_EQ(i18n::gettext(saved), saved);
}
