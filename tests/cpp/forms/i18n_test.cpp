#include "tesk_vumo/i18n/i18n.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(Translation, TheSystemLocaleNamesTheCataloguesToTry)
{
    auto names = [](const char* list, const char* all, const char* messages, const char* lang) {
        std::vector<std::string> result;
        for (const wxString& name : i18n::languages_of_locale(list, all, messages, lang))
            result.push_back(name.utf8_string());
        return result;
    };
    using Names = std::vector<std::string>;
    EXPECT_EQ(names("", "", "", "en_US.UTF-8"), (Names{"en_US", "en"}));
    EXPECT_EQ(names("", "zh_CN.UTF-8", "", "en_US.UTF-8"), (Names{"zh_CN", "zh"})) << "LC_ALL first";
    EXPECT_EQ(names("", "", "de_DE@euro", "en_US"), (Names{"de_DE", "de"})) << "then LC_MESSAGES";
    EXPECT_EQ(names("fr:en_GB", "", "", "de_DE.UTF-8"), (Names{"fr", "en_GB", "en", "de_DE", "de"}));
    for (const char* plain : {"C", "C.UTF-8", "POSIX", ""})
        EXPECT_EQ(names("en", "", "", plain), Names{}) << "texts as written in the locale " << plain;
}
