#pragma once
// A GoogleTest fixture that runs each test in an empty directory of its own (`dir_`), removed afterwards, with
// helpers that write and read whole files and list what the directory holds.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace trelvo::test {

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("trelvo_test_" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec; // a test may have taken the rights away
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(dir_, ec);
    }
    // Starts again in a new empty directory, for tables whose every row needs one.
    void Renew() {
        TearDown();
        SetUp();
    }
    static void Write(const std::filesystem::path& p, std::string_view bytes) {
        std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    static std::string Read(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Every name under the directory, sorted, each followed by a blank: a temporary file left behind shows.
    std::string Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir_))
            names.push_back(e.path().lexically_relative(dir_).string());
        std::sort(names.begin(), names.end());
        std::string all;
        for (const auto& n : names)
            all += n + " ";
        return all;
    }

    std::filesystem::path dir_;
};

} // namespace trelvo::test
