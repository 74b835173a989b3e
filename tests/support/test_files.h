// Small file helpers shared by the tests.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/run_log.h"

namespace avelor::testing {

inline std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Sends the run log to a file of its own for one test.
class RunLogFile {
public:
    explicit RunLogFile(const std::string& name = "avelor_test.log")
        : path_(::testing::TempDir() + name)
    {
        run_log().open(path_);
    }
    ~RunLogFile()
    {
        run_log().close();
        std::remove(path_.c_str());
    }
    RunLogFile(const RunLogFile&) = delete;
    RunLogFile& operator=(const RunLogFile&) = delete;

    const std::string& path() const { return path_; }
    std::string text() const
    {
        run_log().flush();
        return read_file(path_);
    }
    std::vector<std::string> lines() const
    {
        run_log().flush();
        std::ifstream in(path_, std::ios::binary);
        std::vector<std::string> all;
        for (std::string line; std::getline(in, line);) all.push_back(line);
        return all;
    }

private:
    std::string path_;
};

}  // namespace avelor::testing
