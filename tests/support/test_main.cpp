// The tests' main: every test process gets a temporary folder of its own,
// so tests that CTest runs side by side never share files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv)
{
    std::error_code ec;
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "avelor-tests-XXXXXX").string();
    const char* folder = mkdtemp(pattern.data());
    if (folder) setenv("TEST_TMPDIR", folder, 1);
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    if (folder) std::filesystem::remove_all(folder, ec);
    return result;
}
