#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tables/catalogue/TunerCatalogue.h"
#include "tables/format/TunerSpecEntry.h"
#include "tests/TestFiles.h"

namespace {

using Items = std::vector<std::pair<std::int32_t, std::string>>;

Items Flat(const std::optional<std::vector<CatalogueItem>>& items)
{
    Items out;
    for (const CatalogueItem& item : items.value())
        out.emplace_back(item.code, item.text);
    return out;
}

std::string WriteText(const TempDir& dir, const std::string& name, const std::string& text)
{
    const std::string path = dir.File(name);
    WriteAll(path, Bytes(text.begin(), text.end()));
    return path;
}

const char* const kCatalogue = "; Tuner catalogue\n"
                               "[Version]\n"
                               "Signature = \"$Windows NT$\"\n"
                               "\n"
                               "[Factory]\n"
                               "Comment = lines before Count are not factories\n"
                               "0 = Not Listed\n"
                               "Count = 4\n"
                               "12 = %Philips%\n"
                               "5 = Temic\n"
                               "3 = \"LG Innotek\"\n"
                               "25 = Alps\n"
                               "99 = Beyond the count\n"
                               "\n"
                               "[18]\n"
                               "Count = 3\n"
                               "7 = X\n"
                               "10 = \"FI1236, FM1236\"\n"
                               "2 = \"Y\"\n"
                               "\n"
                               "[05]\n"
                               "Count = 0\n"
                               "\n"
                               "[37]\n"
                               "count = 2\n"
                               "abc = not a number\n"
                               "0x0A = ten\n"
                               "\n"
                               "[Strings]\n"
                               "Philips = \"Philips Components\"\n";

std::string ExecutableFolder()
{
    const std::string beside = TunerCatalogue::DefaultPath();
    return beside.substr(0, beside.rfind('/'));
}

std::string WriteCatalogue(const std::string& folder, const std::string& factoryName)
{
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/TunerSpec.inf";
    const std::string text = "[Factory]\nCount = 1\n1 = \"" + factoryName + "\"\n";
    WriteAll(path, Bytes(text.begin(), text.end()));
    return path;
}

} // namespace

TEST(BcdFromDecimal, EachDecimalDigitTakesOneNibble)
{
    EXPECT_EQ(BcdFromDecimal(0), 0);
    EXPECT_EQ(BcdFromDecimal(5), 0x05);
    EXPECT_EQ(BcdFromDecimal(10), 0x10);
    EXPECT_EQ(BcdFromDecimal(12), 0x12);
    EXPECT_EQ(BcdFromDecimal(12), 18);
    EXPECT_EQ(BcdFromDecimal(99), 0x99);
    EXPECT_EQ(BcdFromDecimal(123), 0xC3);
    EXPECT_EQ(BcdFromDecimal(-12), -18);
    EXPECT_EQ(BcdFromDecimal(-5), -5);
    // 7 + 214748364 * 16 = 3435973831, wrapped to 32 bits
    EXPECT_EQ(BcdFromDecimal(INT_MAX), -858993465);
    // -8 + -214748364 * 16 = -3435973832, wrapped to 32 bits
    EXPECT_EQ(BcdFromDecimal(INT_MIN), 858993464);
}

TEST(TunerCatalogueNames, FactorySectionIsTheCodeInDecimal)
{
    EXPECT_EQ(TunerCatalogue::SectionName(BcdFromDecimal(12)), "18");
    EXPECT_EQ(TunerCatalogue::SectionName(BcdFromDecimal(25)), "37");
    EXPECT_EQ(TunerCatalogue::SectionName(BcdFromDecimal(99)), "153");
    EXPECT_EQ(TunerCatalogue::SectionName(BcdFromDecimal(5)), "05");
    EXPECT_EQ(TunerCatalogue::SectionName(BcdFromDecimal(0)), "00");
    EXPECT_EQ(TunerCatalogue::SectionName(BcdFromDecimal(10)), "16");
    EXPECT_EQ(TunerCatalogue::SectionName(-5), "-5");
}

TEST(TunerCatalogueRead, FactoriesInFileOrderFromTheLinesAfterCount)
{
    TempDir dir;
    TunerCatalogue catalogue;
    ASSERT_TRUE(catalogue.Open(WriteText(dir, "TunerSpec.inf", kCatalogue)));
    const auto factories = catalogue.ReadFactories();
    ASSERT_TRUE(factories.has_value());
    EXPECT_EQ(Flat(factories),
              (Items{{0x12, "Philips Components"}, {0x05, "Temic"}, {0x03, "LG Innotek"}, {0x25, "Alps"}}));
    EXPECT_EQ(catalogue.FactoryCodes(), (std::vector<std::int32_t>{0x12, 0x05, 0x03, 0x25}));
}

TEST(TunerCatalogueRead, TunerTypesCarryTheirNumberInTheText)
{
    TempDir dir;
    TunerCatalogue catalogue;
    ASSERT_TRUE(catalogue.Open(WriteText(dir, "TunerSpec.inf", kCatalogue)));
    const auto types = catalogue.ReadTunerTypes(BcdFromDecimal(12));
    ASSERT_TRUE(types.has_value());
    EXPECT_EQ(Flat(types), (Items{{0x07, "07 -- X"}, {0x10, "10 -- FI1236, FM1236"}, {0x02, "02 -- Y"}}));
    EXPECT_EQ(catalogue.TunerTypeCodes(), (std::vector<std::int32_t>{0x07, 0x10, 0x02}));

    const auto none = catalogue.ReadTunerTypes(BcdFromDecimal(5));
    ASSERT_TRUE(none.has_value()); // Count 0: an empty list replaces what is shown
    EXPECT_TRUE(none->empty());
    EXPECT_TRUE(catalogue.TunerTypeCodes().empty());

    // A line whose number is not an integer still gives its name, as number 0;
    // the line after it counts as usual.
    const auto alps = catalogue.ReadTunerTypes(BcdFromDecimal(25));
    EXPECT_EQ(Flat(alps), (Items{{0x00, "00 -- not a number"}, {0x10, "10 -- ten"}}));
    EXPECT_EQ(catalogue.TunerTypeCodes(), (std::vector<std::int32_t>{0, 0x10}));

    // No section of its own, or one named by the number instead of the code.
    EXPECT_FALSE(catalogue.ReadTunerTypes(BcdFromDecimal(3)).has_value());
    EXPECT_FALSE(catalogue.ReadTunerTypes(12).has_value());
    EXPECT_EQ(catalogue.TunerTypeCodes(), (std::vector<std::int32_t>{0, 0x10})); // kept
}

TEST(TunerCatalogueRead, FactoryWithoutANumberIsListedWithCodeZero)
{
    TempDir dir;
    TunerCatalogue catalogue;
    ASSERT_TRUE(catalogue.Open(WriteText(dir, "TunerSpec.inf",
                                         "[Factory]\nCount = 4\nMaker = Unnumbered\n5 = Temic\n"
                                         "1.5 = Halfway\n\"\" = \"Empty number\"\n"
                                         "[00]\nCount = 1\n7 = Under zero\n")));
    const auto factories = catalogue.ReadFactories();
    EXPECT_EQ(Flat(factories),
              (Items{{0x00, "Unnumbered"}, {0x05, "Temic"}, {0x00, "Halfway"}, {0x00, "Empty number"}}));
    EXPECT_EQ(catalogue.FactoryCodes(), (std::vector<std::int32_t>{0, 0x05, 0, 0}));
    // Code 0 has its tuner types in section 00, like any factory numbered 0.
    EXPECT_EQ(Flat(catalogue.ReadTunerTypes(0)), (Items{{0x07, "07 -- Under zero"}}));
}

TEST(TunerCatalogueRead, CountsBeyondTheSectionOrBelowZero)
{
    TempDir dir;
    TunerCatalogue catalogue;
    ASSERT_TRUE(catalogue.Open(WriteText(dir, "c.inf",
                                         "[Factory]\n"
                                         "Count = 2000000000\n"
                                         "1 = One\n"
                                         "2 = Two\n"
                                         "[Other]\n"
                                         "3 = Three\n"
                                         "[01]\n"
                                         "Count = -4\n"
                                         "1 = A\n"
                                         "[02]\n"
                                         "Count = many\n"
                                         "1 = A\n"
                                         "[03]\n"
                                         "1 = A\n")));
    EXPECT_EQ(Flat(catalogue.ReadFactories()), (Items{{0x01, "One"}, {0x02, "Two"}}));
    EXPECT_EQ(catalogue.FactoryCodes().size(), 2u);
    const auto negative = catalogue.ReadTunerTypes(0x01);
    ASSERT_TRUE(negative.has_value());
    EXPECT_TRUE(negative->empty());
    EXPECT_FALSE(catalogue.ReadTunerTypes(0x02).has_value());
    EXPECT_FALSE(catalogue.ReadTunerTypes(0x03).has_value());
}

TEST(TunerCatalogueRead, NamesLongerThan511CharactersGiveNoItem)
{
    TempDir dir;
    const std::string name511(511, 'a');
    TunerCatalogue catalogue;
    ASSERT_TRUE(catalogue.Open(WriteText(dir, "c.inf",
                                         "[Factory]\nCount = 3\n1 = " + name511 + "\n2 = " + name511 +
                                             "b\n3 = short\n[01]\nCount = 1\n4 = " + name511 + "\n")));
    EXPECT_EQ(Flat(catalogue.ReadFactories()), (Items{{0x01, name511}, {0x03, "short"}}));
    // The code of the refused line is still recorded.
    EXPECT_EQ(catalogue.FactoryCodes(), (std::vector<std::int32_t>{0x01, 0x02, 0x03}));
    // The number prefix may take a tuner type's text beyond 511 characters.
    EXPECT_EQ(Flat(catalogue.ReadTunerTypes(0x01)), (Items{{0x04, "04 -- " + name511}}));
}

TEST(TunerCatalogueRead, MissingFileOrSectionGivesNoList)
{
    TempDir dir;
    TunerCatalogue catalogue;
    EXPECT_FALSE(catalogue.Open(dir.File("TunerSpec.inf")));
    EXPECT_FALSE(catalogue.IsOpen());
    EXPECT_FALSE(catalogue.ReadFactories().has_value());
    EXPECT_FALSE(catalogue.ReadTunerTypes(0x12).has_value());

    ASSERT_TRUE(catalogue.Open(WriteText(dir, "nofactory.inf", "[18]\nCount = 1\n7 = X\n")));
    EXPECT_FALSE(catalogue.ReadFactories().has_value());
    EXPECT_EQ(Flat(catalogue.ReadTunerTypes(0x12)), (Items{{0x07, "07 -- X"}}));

    ASSERT_TRUE(catalogue.Open(WriteText(dir, "nocount.inf", "[Factory]\n12 = Philips\n")));
    EXPECT_FALSE(catalogue.ReadFactories().has_value());

    ASSERT_TRUE(catalogue.Open(WriteText(dir, "full.inf", kCatalogue)));
    ASSERT_TRUE(catalogue.ReadFactories().has_value());
    ASSERT_TRUE(catalogue.ReadTunerTypes(0x12).has_value());
    catalogue.Close();
    EXPECT_FALSE(catalogue.IsOpen());
    EXPECT_TRUE(catalogue.FactoryCodes().empty());
    EXPECT_TRUE(catalogue.TunerTypeCodes().empty());
    EXPECT_FALSE(catalogue.ReadFactories().has_value());
}

// The catalogue holds the names of every tuner of the public kernel table,
// quoted as the INF syntax needs them (two contain commas).
TEST(TunerCatalogueRead, RealTunerNamesComeBackUnchanged)
{
    const auto rows = ReadCsv(DataFile("tuners.csv"));
    std::string text =
        "[Factory]\r\nCount = 1\r\n1 = \"Linux kernel\"\r\n[01]\r\nCount = " + std::to_string(rows.size() - 1) + "\r\n";
    for (std::size_t i = 1; i < rows.size(); ++i) {
        std::string quoted;
        for (char c : rows[i][0])
            quoted += (c == '"') ? std::string("\"\"") : std::string(1, c);
        text += rows[i][10] + " = \"" + quoted + "\"\r\n";
    }
    TempDir dir;
    TunerCatalogue catalogue;
    ASSERT_TRUE(catalogue.Open(WriteText(dir, "kernel.inf", text)));
    const auto types = catalogue.ReadTunerTypes(0x01);
    ASSERT_TRUE(types.has_value());
    ASSERT_EQ(types->size(), rows.size() - 1);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const int number = std::stoi(rows[i][10]);
        const CatalogueItem& item = (*types)[i - 1];
        EXPECT_EQ(item.code, BcdFromDecimal(number));
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%02d -- ", number);
        EXPECT_EQ(item.text, prefix + rows[i][0]);
    }
}

TEST(TunerCatalogueOpen, DefaultPathIsBesideTheExecutable)
{
    std::vector<char> exe(PATH_MAX + 1, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", exe.data(), PATH_MAX);
    ASSERT_GT(n, 0);
    std::string folder(exe.data(), static_cast<std::size_t>(n));
    folder = folder.substr(0, folder.rfind('/'));
    const std::string path = TunerCatalogue::DefaultPath();
    EXPECT_EQ(path, folder + "/TunerSpec.inf");

    if (FileExists(path))
        GTEST_SKIP() << "a catalogue already lies beside the test program";
    // Only the folder beside the program may hold a catalogue here.
    TempDir empty;
    const ScopedEnv dataHome("XDG_DATA_HOME", empty.Path().c_str());
    const ScopedEnv dataDirs("XDG_DATA_DIRS", empty.Path().c_str());
    if (FileExists(ExecutableFolder() + "/../share/vornalix/TunerSpec.inf"))
        GTEST_SKIP() << "a catalogue already lies in the build's share folder";
    TunerCatalogue catalogue;
    EXPECT_FALSE(catalogue.Open());
    WriteAll(path, Bytes{'[', 'F', 'a', 'c', 't',  'o', 'r', 'y', ']', '\n', 'C', 'o', 'u',
                         'n', 't', '=', '1', '\n', '9', '=', 'N', 'i', 'n',  'e', '\n'});
    const bool opened = catalogue.Open();
    const auto factories = catalogue.ReadFactories();
    catalogue.Close();
    ::unlink(path.c_str());
    ASSERT_TRUE(opened);
    EXPECT_EQ(Flat(factories), (Items{{0x09, "Nine"}}));
}

TEST(TunerCatalogueOpen, CandidatesInLookUpOrder)
{
    const std::string exe = ExecutableFolder();
    const std::string installed =
        std::filesystem::path(exe + "/../share/vornalix/TunerSpec.inf").lexically_normal().string();
    {
        const ScopedEnv dataHome("XDG_DATA_HOME", "/data/home/");
        const ScopedEnv dataDirs("XDG_DATA_DIRS", "/opt/a:relative/b::/opt//c/");
        EXPECT_EQ(TunerCatalogue::CandidatePaths(),
                  (std::vector<std::string>{exe + "/TunerSpec.inf", installed, "/data/home/vornalix/TunerSpec.inf",
                                            "/opt/a/vornalix/TunerSpec.inf", "/opt/c/vornalix/TunerSpec.inf"}));
    }
    {
        // Unset or empty: ~/.local/share, then /usr/local/share and /usr/share.
        const ScopedEnv dataHome("XDG_DATA_HOME", "");
        const ScopedEnv dataDirs("XDG_DATA_DIRS", nullptr);
        const ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(TunerCatalogue::CandidatePaths(),
                  (std::vector<std::string>{
                      exe + "/TunerSpec.inf", installed, "/home/someone/.local/share/vornalix/TunerSpec.inf",
                      "/usr/local/share/vornalix/TunerSpec.inf", "/usr/share/vornalix/TunerSpec.inf"}));
    }
    {
        // Relative folders are invalid and count as unset; a folder named twice is looked in once.
        const ScopedEnv dataHome("XDG_DATA_HOME", "data");
        const ScopedEnv dataDirs("XDG_DATA_DIRS", "share:more");
        const ScopedEnv home("HOME", "/usr/share/../local");
        EXPECT_EQ(TunerCatalogue::CandidatePaths(),
                  (std::vector<std::string>{
                      exe + "/TunerSpec.inf", installed, "/usr/local/.local/share/vornalix/TunerSpec.inf",
                      "/usr/local/share/vornalix/TunerSpec.inf", "/usr/share/vornalix/TunerSpec.inf"}));
        // Without HOME the user database names the home folder.
        const ScopedEnv noHome("HOME", nullptr);
        const std::vector<std::string> paths = TunerCatalogue::CandidatePaths();
        const passwd* pUser = getpwuid(getuid());
        ASSERT_NE(pUser, nullptr);
        ASSERT_EQ(paths.size(), 5u);
        EXPECT_EQ(paths[2], std::string(pUser->pw_dir) + "/.local/share/vornalix/TunerSpec.inf");
    }
}

TEST(TunerCatalogueOpen, FirstReadableCandidateWins)
{
    if (FileExists(TunerCatalogue::DefaultPath()) ||
        FileExists(ExecutableFolder() + "/../share/vornalix/TunerSpec.inf"))
        GTEST_SKIP() << "a catalogue already lies beside the test program";
    TempDir dir;
    const ScopedEnv dataHome("XDG_DATA_HOME", dir.File("home").c_str());
    const ScopedEnv dataDirs("XDG_DATA_DIRS", (dir.File("first") + ":" + dir.File("second")).c_str());
    const auto openedFactory = [] {
        TunerCatalogue catalogue;
        if (!catalogue.Open())
            return std::string("(none)");
        const auto factories = catalogue.ReadFactories();
        return factories && !factories->empty() ? factories->front().text : std::string("(empty)");
    };

    EXPECT_EQ(openedFactory(), "(none)");
    WriteCatalogue(dir.File("second/vornalix"), "Second");
    EXPECT_EQ(openedFactory(), "Second");
    WriteCatalogue(dir.File("first/vornalix"), "First");
    EXPECT_EQ(openedFactory(), "First");
    const std::string home = WriteCatalogue(dir.File("home/vornalix"), "Home");
    EXPECT_EQ(openedFactory(), "Home");

    // A catalogue that is there but cannot be read gives way to the next one.
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(home.c_str(), 0), 0);
        EXPECT_EQ(openedFactory(), "First");
        ASSERT_EQ(::chmod(home.c_str(), 0644), 0);
    }
    // A folder in the place of the file is no catalogue either.
    ASSERT_EQ(::unlink(home.c_str()), 0);
    std::filesystem::create_directories(home);
    EXPECT_EQ(openedFactory(), "First");
}

// The catalogue shipped with the program: every tuner type is a tuner of the
// public kernel table under its kernel number and name, filed under its maker,
// and no two of them share a table key, so all of them fit in one table.
TEST(SampleCatalogue, ListsRealTunersUnderTheirMakers)
{
    std::map<int, std::string> kernelNames;
    const auto rows = ReadCsv(DataFile("tuners.csv"));
    for (std::size_t i = 1; i < rows.size(); ++i)
        kernelNames[std::stoi(rows[i][10])] = rows[i][0];

    TunerCatalogue catalogue;
    ASSERT_TRUE(catalogue.Open(VORNALIX_SAMPLE_CATALOGUE));
    const auto factories = catalogue.ReadFactories();
    ASSERT_TRUE(factories.has_value());
    ASSERT_GE(factories->size(), 3u);
    EXPECT_EQ(catalogue.FactoryCodes().size(), factories->size()); // every factory line gave an item

    std::set<std::int32_t> keys;
    std::size_t typeCount = 0;
    for (const CatalogueItem& factory : *factories) {
        const auto types = catalogue.ReadTunerTypes(factory.code);
        ASSERT_TRUE(types.has_value()) << factory.text;
        ASSERT_FALSE(types->empty()) << factory.text;
        EXPECT_EQ(catalogue.TunerTypeCodes().size(), types->size()) << factory.text;
        for (const CatalogueItem& type : *types) {
            const auto dashes = type.text.find(" -- ");
            ASSERT_NE(dashes, std::string::npos) << type.text;
            const int number = std::stoi(type.text.substr(0, dashes));
            const std::string name = type.text.substr(dashes + 4);
            ASSERT_EQ(kernelNames.count(number), 1u) << type.text;
            EXPECT_EQ(name, kernelNames[number]);
            EXPECT_EQ(type.code, BcdFromDecimal(number));
            EXPECT_EQ(name.rfind(factory.text + " ", 0), 0u) << name << " filed under " << factory.text;

            TunerSpecEntry entry;
            entry.SetFactory(factory.code);
            entry.SetTunerType(type.code);
            EXPECT_TRUE(keys.insert(TunerSortKey(entry)).second) << type.text;
            ++typeCount;
        }
    }
    EXPECT_EQ(keys.size(), typeCount);
}
