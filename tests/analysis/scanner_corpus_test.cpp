// The C scanner over the corpus in tests/analysis/corpus: every source file there has a
// FILE.expected beside it, one "name start end" line per function in list order ("#" starts
// a comment line: where the scanner's algorithm and a reader part ways, it says why).
// VELT_SCAN_SYSTEM_SOURCES=1 also runs the scanner over every .c and .h file under
// /usr/include and /usr/share, which must never crash it nor give an empty name or an end
// before the start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "../editor/document_fixture.h"
#include "analysis/function_list.h"
#include "editor/document.h"
#include "editor/document_io.h"
#include "editor/language.h"

namespace velt {
namespace {

namespace fs = std::filesystem;

fs::path CorpusDir() {
    if (const char* src = std::getenv("VELT_TEST_SOURCE_DIR"))
        return fs::path(src) / "tests/analysis/corpus";
    return fs::path(__FILE__).parent_path() / "corpus";
}

std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ScannerCorpus : public testing::DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        ResetLanguages();
        gFunctionRescanSuspended = false;
    }
    // The file opened as the editor opens it: the loader's lines, the language by the
    // extension; its list as "name start end" lines.
    static std::string Scan(const fs::path& file, std::string* problems = nullptr) {
        Document* doc = NewDocument(file.string());
        std::string out;
        if (LoadDocumentFromText(doc->name, ReadBytes(file), *doc) == kLoadOk) {
            doc->language = LanguageForFile(doc->name);
            EnsureFunctionList(doc);
            for (const FunctionEntry* e = FunctionListOf(*doc); e; e = e->next) {
                out += e->name + " " + std::to_string(e->startLine) + " " +
                       std::to_string(e->endLine) + "\n";
                if (problems && (e->name.empty() || e->endLine < e->startLine || e->startLine < 1 ||
                                 !e->endNode || !e->declarationLine))
                    *problems += file.string() + ": " + e->name + " " +
                                 std::to_string(e->startLine) + " " + std::to_string(e->endLine) +
                                 "\n";
            }
        }
        ReleaseFunctionList(*doc);
        ReleaseDocument(doc);
        return out;
    }
};

std::string Expected(const fs::path& file) {
    std::istringstream in(ReadBytes(file));
    std::string out;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') out += line + "\n";
    return out;
}

TEST_F(ScannerCorpus, EveryFileGivesItsExpectedList) {
    const fs::path dir = CorpusDir();
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    int pairs = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const fs::path& file = entry.path();
        if (file.extension() == ".expected") continue;
        fs::path expected = file;
        expected += ".expected";
        ASSERT_TRUE(fs::exists(expected)) << expected;
        EXPECT_EQ(Scan(file), Expected(expected)) << file.filename();
        ++pairs;
    }
    EXPECT_GE(pairs, 30);
}

TEST_F(ScannerCorpus, SystemSourcesNeverBreakTheScanner) {
    if (!std::getenv("VELT_SCAN_SYSTEM_SOURCES"))
        GTEST_SKIP() << "set VELT_SCAN_SYSTEM_SOURCES=1 to scan /usr/include and /usr/share";
    int files = 0;
    long functions = 0;
    std::string problems;
    for (const char* root : {"/usr/include", "/usr/share"}) {
        std::error_code ec;
        if (!fs::is_directory(root, ec)) continue;
        const auto options = fs::directory_options::skip_permission_denied;
        for (fs::recursive_directory_iterator it(root, options, ec), end; it != end;
             it.increment(ec)) {
            if (ec) break;
            const fs::path& p = it->path();
            if ((p.extension() != ".c" && p.extension() != ".h") || !it->is_regular_file(ec))
                continue;
            const std::string list = Scan(p, &problems);
            functions += std::count(list.begin(), list.end(), '\n');
            ++files;
        }
    }
    std::printf("scanned %d files, %ld functions\n", files, functions);
    EXPECT_EQ(problems, "");
}

}  // namespace
}  // namespace velt
