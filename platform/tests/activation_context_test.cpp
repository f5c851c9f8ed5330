// Activation contexts made from a module's manifest resource.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <palvex/machine.h>
#include <win/winbase_actctx.h>
#include <win/windows.h>

namespace {

std::u16string Wide(const std::filesystem::path& path) {
    const std::string text = path.string();
    return std::u16string(text.begin(), text.end());
}

ACTCTXW ContextOf(const std::u16string& file, LPCWSTR manifest) {
    ACTCTXW context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = file.c_str();
    context.lpResourceName = manifest;
    return context;
}

TEST(ActivationContext, IsMadeFromTheModulesManifestOnly) {
    palvex::TestMachine machine;
    const std::u16string library = Wide(std::filesystem::path(PALVEX_TEST_RESOURCE_DIR) / "palvex_test_res.dll");
    const ACTCTXW made = ContextOf(library, MAKEINTRESOURCEW(2));
    HANDLE context = CreateActCtxW(&made);
    ASSERT_NE(context, INVALID_HANDLE_VALUE);
    ReleaseActCtx(context);
    ReleaseActCtx(context);  // a context already released is left alone

    const ACTCTXW otherName = ContextOf(library, MAKEINTRESOURCEW(3));
    EXPECT_EQ(CreateActCtxW(&otherName), INVALID_HANDLE_VALUE);
    const std::u16string english = Wide(std::filesystem::path(PALVEX_TEST_RESOURCE_DIR) / "english_only.dll");
    const ACTCTXW noManifest = ContextOf(english, MAKEINTRESOURCEW(2));
    EXPECT_EQ(CreateActCtxW(&noManifest), INVALID_HANDLE_VALUE);
    const std::u16string nowhere = u"C:\\Windows\\System32\\NOWHERE.DLL";  // lives as long as the record
    const ACTCTXW missing = ContextOf(nowhere, MAKEINTRESOURCEW(2));
    EXPECT_EQ(CreateActCtxW(&missing), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(CreateActCtxW(nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
