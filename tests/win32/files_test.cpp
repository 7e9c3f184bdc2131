// Files through Windows paths, and the Win32 codes of their failures.
#include <gtest/gtest.h>
#include <unistd.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zr_files_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    std::filesystem::create_directory(root_ + "/texture");
    std::ofstream(root_ + "/texture/sky.dds", std::ios::binary) << contents_;
    ASSERT_EQ(chdir(root_.c_str()), 0);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  static HANDLE Open(const std::wstring& path) {
    return CreateFile2(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, nullptr);
  }

  std::string root_;
  const std::string contents_ = "DDS |0123456789abcdef";
};

TEST_F(FileTest, BackslashPathReadsWholeFile) {
  HANDLE file = Open(L"texture\\sky.dds");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILE_STANDARD_INFO info{};
  ASSERT_TRUE(GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof(info)));
  EXPECT_EQ(info.EndOfFile.QuadPart, static_cast<LONGLONG>(contents_.size()));
  EXPECT_EQ(info.Directory, 0);

  std::string buffer(64, '\0');
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr));
  EXPECT_EQ(buffer.substr(0, read), contents_);
  // At the end of the file a read succeeds with no bytes.
  ASSERT_TRUE(ReadFile(file, buffer.data(), 4, &read, nullptr));
  EXPECT_EQ(read, 0u);
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(FileTest, FailuresGiveWin32Codes) {
  std::wstring longName(300, L'x');
  struct Case {
    std::wstring path;
    DWORD code;
  } cases[] = {
      {L"texture\\missing.dds", ERROR_FILE_NOT_FOUND},
      {L"missing\\sky.dds", ERROR_PATH_NOT_FOUND},
      {L"texture\\sky.dds\\inner", ERROR_PATH_NOT_FOUND},
      {L"texture", ERROR_ACCESS_DENIED},
      {L"texture\\", ERROR_ACCESS_DENIED},
      {L"texture\\" + longName, ERROR_FILENAME_EXCED_RANGE},
      {L"", ERROR_PATH_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path.begin(), c.path.begin() + std::min<size_t>(c.path.size(), 40)));
    SetLastError(0);
    EXPECT_EQ(Open(c.path), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.code);
  }
  EXPECT_EQ(CreateFile2(nullptr, GENERIC_READ, 0, OPEN_EXISTING, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(FileTest, BadHandlesAndArgumentsAreRefused) {
  HANDLE file = Open(L"texture/sky.dds");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILE_STANDARD_INFO info{};
  EXPECT_FALSE(GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof(info) - 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_LENGTH));
  char byte;
  EXPECT_FALSE(ReadFile(file, &byte, 1, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  ASSERT_TRUE(CloseHandle(file));

  // A closed handle, and handles that never were, are not files.
  for (HANDLE bad : {file, INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr)}) {
    DWORD read = 7;
    EXPECT_FALSE(ReadFile(bad, &byte, 1, &read, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(GetFileInformationByHandleEx(bad, FileStandardInfo, &info, sizeof(info)));
    EXPECT_FALSE(CloseHandle(bad));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
}

}  // namespace
