#include <gtest/gtest.h>

#include "folder_field.h"

namespace setup::testing {
namespace {

TEST(FolderField, OnlyAFullPathOfKeptRecordableNamesIsInstalledInto) {
    using V = FolderFieldVerdict;
    const struct {
        const wchar_t* text;
        bool recordable;
        V verdict;
    } cases[] = {
        {L"C:\\Program Files\\App", true, V::Usable},
        {L"d:\\Tools\\App\\", true, V::Usable},  // one closing "\" is fine
        {L"C:\\", true, V::Usable},
        {L"\\\\server\\share\\App", true, V::Usable},
        {L"\\\\server\\share", true, V::Usable},
        {L"C:\\App.v2\\con-tools", true, V::Usable},
        // nothing to install into
        {L"", true, V::Empty},
        {L"   ", true, V::Empty},
        // would be copied relative to wherever setup runs
        {L"App", true, V::NotFullPath},
        {L"Tools\\App", true, V::NotFullPath},
        {L".\\App", true, V::NotFullPath},
        {L"C:App", true, V::NotFullPath},
        {L"\\App", true, V::NotFullPath},
        {L" C:\\App", true, V::NotFullPath},
        {L"1:\\App", true, V::NotFullPath},
        {L"C:/Tools/App", true, V::NotFullPath},
        {L"\\\\server", true, V::NotFullPath},
        {L"\\\\server\\", true, V::NotFullPath},
        {L"\\\\\\share\\App", true, V::NotFullPath},
        // characters and names no folder can have
        {L"C:\\App?", true, V::BadName},
        {L"C:\\Tools\\A*p", true, V::BadName},
        {L"C:\\A<b>", true, V::BadName},
        {L"C:\\a|b", true, V::BadName},
        {L"C:\\\"App\"", true, V::BadName},
        {L"C:\\Tools:App", true, V::BadName},
        {L"C:\\Tools/App", true, V::BadName},
        {L"C:\\Tools\\A\tpp", true, V::BadName},
        {L"C:\\Tools\\\\App", true, V::BadName},  // an empty name
        {L"C:\\App\\\\", true, V::BadName},
        {L"C:\\Tools\\NUL", true, V::BadName},
        {L"C:\\con.txt\\App", true, V::BadName},
        {L"C:\\Tools\\com1", true, V::BadName},
        {L"\\\\?\\C:\\App", true, V::BadName},
        // Windows drops a closing blank or period: the record would name another folder
        {L"C:\\App ", true, V::TrailingBlank},
        {L"C:\\Tools \\App", true, V::TrailingBlank},
        {L"C:\\App.", true, V::TrailingBlank},
        {L"C:\\Tools\\..\\App", true, V::TrailingBlank},
        // a usable path the code page cannot write into the record
        {L"C:\\Tools\\App", false, V::NotRecordable},
        {L"C:\\App ", false, V::TrailingBlank},  // the plainer reason first
    };
    for (const auto& c : cases) EXPECT_EQ(JudgeFolderField(c.text, c.recordable), c.verdict) << c.text;
}

TEST(FolderField, TheRefusalNamesTheFolderAndSaysNothingWasCopied) {
    const Texts& ja = TextsFor(Language::Japanese);
    const Texts& en = TextsFor(Language::English);
    EXPECT_EQ(FolderFieldRefusal(FolderFieldVerdict::Usable, L"C:\\App", en), L"");
    EXPECT_EQ(FolderFieldRefusal(FolderFieldVerdict::Empty, L"", en),
              L"No install folder is given.\n\nNothing was copied. Enter another folder.");
    EXPECT_EQ(FolderFieldRefusal(FolderFieldVerdict::TrailingBlank, L"C:\\App ", en),
              L"A folder name in the install folder ends with a blank or a period, which Windows drops from it:\n\n"
              L"C:\\App \n\nNothing was copied. Enter another folder.");
    for (FolderFieldVerdict v : {FolderFieldVerdict::NotFullPath, FolderFieldVerdict::BadName,
                                 FolderFieldVerdict::NotRecordable}) {
        for (const Texts* t : {&ja, &en}) {
            const std::wstring text = FolderFieldRefusal(v, L"Tools\\App", *t);
            EXPECT_NE(text.find(L"\n\nTools\\App\n\n"), std::wstring::npos) << text;
            EXPECT_TRUE(text.ends_with(t->folderFieldAdvice)) << text;
        }
    }
}

}  // namespace
}  // namespace setup::testing
