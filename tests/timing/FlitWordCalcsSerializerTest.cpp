#include "timing/FlitWordCalcsSerializer.h"
#include "timing/FlitWordCalcs.h"
#include "timing/TimingTableDataSerializer.h"

#include <gtest/gtest.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/sstream.h>
#include <wx/utils.h>
#include <wx/xml/xml.h>

#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<int> table() {
    std::vector<int> out;
    for (const CTimingTableData& row : CFlitWordCalcs::kTimingTable) {
        for (int CTimingTableData::*field : CTimingTableData::kFields) {
            out.push_back(row.*field);
        }
    }
    return out;
}

const char* const kFieldNames[] = {"speed",
                                   "wd_base_value_adj_percentage",
                                   "wd_longer_word_adj_percentage",
                                   "wd_all_caps_adj_percentage",
                                   "wd_all_nums_adj_percentage",
                                   "iwd_base_value_adj_percentage",
                                   "iwd_comma_adj_percentage",
                                   "iwd_period_adj_percentage",
                                   "iwd_newline_adj_percentage",
                                   "rest_delay_adj_percentage",
                                   "sustain_delay_adj_percentage"};

class FlitWordCalcsSerializerTest : public testing::Test {
protected:
    void TearDown() override {
        CFlitWordCalcs::restoreDefaultTimingTable();
        if (wxFileExists(path)) {
            wxRemoveFile(path);
        }
    }

    // Writes the text to the test's file and loads it into the table.
    bool loadText(const wxString& text) {
        wxFFile(path, "wb").Write(text);
        CFlitWordCalcsSerializer loader(&calcs, path.utf8_str());
        return loader.load();
    }

    // A settings document whose rows hold the given speeds and, in every other field, pct. The
    // field named skip is left out, or holds the text kept when that is given.
    static wxString document(const std::vector<int>& speeds, int pct,
                             const char* root = "flit_word_calcs", const char* skip = nullptr,
                             const char* kept = nullptr) {
        wxString text =
            wxString::Format("<?xml version=\"1.0\"?><%s><version>02.07</version>", root);
        for (int speed : speeds) {
            text += "<timing_table_data><next_num>3</next_num>";
            for (const char* name : kFieldNames) {
                if (skip == nullptr || wxString(name) != skip) {
                    text += wxString::Format("<%s>%d</%s>", name,
                                             wxString(name) == "speed" ? speed : pct, name);
                } else if (kept != nullptr) {
                    text += wxString::Format("<%s>%s</%s>", name, kept, name);
                }
            }
            text += "</timing_table_data><!-- comment -->";
        }
        return text + wxString::Format("</%s>", root);
    }

    // Bad settings files: their bytes, or the name of a special file in the test's folder, and
    // a part of the message that names the problem.
    struct SBadSettings {
        const char* what;
        std::string bytes;
        const char* special;
        const char* message;
    };
    static std::vector<SBadSettings> badSettingsFiles() {
        const std::string good = document({25, 100, 250, 400, 550, 950}, 50).utf8_string();
        const auto row = [](const std::string& fields) {
            return "<flit_word_calcs><timing_table_data>" + fields +
                   "</timing_table_data></flit_word_calcs>";
        };
        const std::string entities = "<!DOCTYPE flit_word_calcs [<!ENTITY s \"30\">"
                                     "<!ENTITY x SYSTEM \"file:///etc/hostname\">]>";
        std::string deep;
        for (int i = 0; i <= CXMLParser::kMaxDepth; ++i) {
            deep += "<timing_table_data>";
        }
        // Generated here rather than stored: ten megabytes of open elements.
        std::string nested = "<flit_word_calcs>";
        while (nested.size() < (10u << 20)) {
            nested += "<a>";
        }
        return {
            {"wrong root",
             document({25, 100, 250, 400, 550, 950}, 50, "flit_word_calc").utf8_string(), nullptr,
             "its root element is <flit_word_calc>, not <flit_word_calcs>"},
            {"seven rows", document({25, 100, 250, 400, 550, 950, 1000}, 50).utf8_string(), nullptr,
             "more than 6 <timing_table_data> rows"},
            {"descending", document({950, 550, 400, 250, 100, 25}, 50).utf8_string(), nullptr,
             "row 2's speed 550 is not above row 1's speed 950"},
            {"equal speeds", document({25, 100, 250, 400, 550, 550}, 50).utf8_string(), nullptr,
             "row 6's speed 550 is not above row 5's speed 550"},
            // Row 1's speed holds no number and keeps 25, which row 2's speed must exceed.
            {"kept speed",
             row("<speed>fast</speed></timing_table_data><timing_table_data><speed>20</speed>"),
             nullptr, "row 2's speed 20 is not above row 1's speed 25"},
            {"malformed", "<flit_word_calcs><speed>1</sped></flit_word_calcs>", nullptr,
             "mismatched tag"},
            {"truncated", good.substr(0, good.size() / 2), nullptr, "line 1"},
            {"empty", "", nullptr, "no element found"},
            {"binary", std::string("\x7f\x45\x4c\x46\x02\x01\x00\xff", 8), nullptr,
             "not well-formed"},
            {"entities", "<?xml version=\"1.0\"?>" + entities + row("<speed>&s;</speed>"), nullptr,
             "a document type declaration"},
            {"deep nesting", "<flit_word_calcs>" + deep, nullptr, "nested more than 64 deep"},
            {"10 MB of nesting", nested, nullptr, "more than the 1048576"},
            {"folder", "", ".", "is a folder"},
            {"pipe", "", "fifo.xml", "is not a regular file"},
            {"dangling link", "", "dangling.xml", "does not exist"},
            {"missing", "", "missing.xml", "does not exist"},
        };
    }

    CFlitWordCalcs calcs;
    wxString path = wxFileName(wxFileName::GetTempDir(),
                               wxString::Format("flit-settings-%lu.xml", wxGetProcessId()))
                        .GetFullPath();
};

} // namespace

TEST_F(FlitWordCalcsSerializerTest, DefaultTableIsWrittenElementForElement) {
    CFlitWordCalcsSerializer saver(&calcs, path.utf8_str());
    ASSERT_TRUE(saver.store());
    wxXmlDocument doc;
    ASSERT_TRUE(doc.Load(path));
    const wxXmlNode* root = doc.GetRoot();
    ASSERT_EQ("flit_word_calcs", root->GetName());
    const wxXmlNode* child = root->GetChildren();
    ASSERT_EQ("version", child->GetName());
    EXPECT_EQ("01.00", child->GetNodeContent());
    const int speeds[] = {25, 100, 250, 400, 550, 950};
    for (int speed : speeds) {
        child = child->GetNext();
        ASSERT_NE(nullptr, child);
        ASSERT_EQ("timing_table_data", child->GetName());
        const wxXmlNode* field = child->GetChildren();
        ASSERT_EQ("version", field->GetName());
        EXPECT_EQ("01.00", field->GetNodeContent());
        for (const char* name : kFieldNames) {
            field = field->GetNext();
            ASSERT_NE(nullptr, field);
            EXPECT_EQ(name, field->GetName());
        }
        EXPECT_EQ(nullptr, field->GetNext());
        EXPECT_EQ(wxString::Format("%d", speed), child->GetChildren()->GetNext()->GetNodeContent());
    }
    EXPECT_EQ(nullptr, child->GetNext());
}

TEST_F(FlitWordCalcsSerializerTest, SaveThenLoadReproducesTheTable) {
    CFlitWordCalcs::kTimingTable[3].iwdPeriodAdjPercentage = 1500;
    CFlitWordCalcs::kTimingTable[5].speed = 1200;
    const std::vector<int> edited = table();
    CFlitWordCalcsSerializer saver(&calcs, path.utf8_str());
    ASSERT_TRUE(saver.store());
    CFlitWordCalcs::restoreDefaultTimingTable();
    CFlitWordCalcsSerializer loader(&calcs, path.utf8_str());
    ASSERT_TRUE(loader.load());
    EXPECT_EQ(edited, table());
}

TEST_F(FlitWordCalcsSerializerTest, PartialFilesChangeOnlyWhatTheyHold) {
    // Rows without the comma element, or with no whole number in it, keep it and load the other
    // fields; other versions and unknown elements are fine.
    for (const char* kept : {static_cast<const char*>(nullptr), "lots", "99999999999"}) {
        ASSERT_TRUE(loadText(document({30, 110, 260, 410, 560, 960}, 77, "flit_word_calcs",
                                      "iwd_comma_adj_percentage", kept)));
        EXPECT_EQ(70, CFlitWordCalcs::kTimingTable[1].iwdCommaAdjPercentage);
        EXPECT_EQ(77, CFlitWordCalcs::kTimingTable[1].iwdPeriodAdjPercentage);
        EXPECT_EQ(960, CFlitWordCalcs::kTimingTable[5].speed);
    }

    // Three rows replace rows 0 to 2 only.
    CFlitWordCalcs::restoreDefaultTimingTable();
    ASSERT_TRUE(loadText(document({20, 90, 240}, 55)));
    EXPECT_EQ(240, CFlitWordCalcs::kTimingTable[2].speed);
    EXPECT_EQ(55, CFlitWordCalcs::kTimingTable[2].restDelayAdjPercentage);
    EXPECT_EQ(400, CFlitWordCalcs::kTimingTable[3].speed);
    EXPECT_EQ(43, CFlitWordCalcs::kTimingTable[3].iwdCommaAdjPercentage);
}

// Each file is refused with a message that names it and the problem, and the table is left
// exactly as it was.
TEST_F(FlitWordCalcsSerializerTest, RefusedFilesLeaveTheTableUnchanged) {
    const std::vector<int> defaults = table();
    const wxString dir = path + "-dir";
    ASSERT_TRUE(wxMkdir(dir));
    const std::string fifo = (dir + "/fifo.xml").utf8_string();
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    ASSERT_EQ(0, symlink("nowhere.xml", (dir + "/dangling.xml").utf8_str()));

    for (const SBadSettings& bad : badSettingsFiles()) {
        wxString file = bad.special != nullptr ? dir + "/" + bad.special : path;
        if (bad.special == nullptr) {
            wxFFile(file, "wb").Write(bad.bytes.data(), bad.bytes.size());
        }
        CFlitWordCalcsSerializer loader(&calcs, file.utf8_str());
        EXPECT_FALSE(loader.load()) << bad.what;
        EXPECT_NE(wxNOT_FOUND, loader.getLoadError().Find(wxString::FromUTF8(bad.message)))
            << bad.what << ": " << loader.getLoadError();
        EXPECT_NE(wxNOT_FOUND, loader.getLoadError().Find(file)) << bad.what;
        EXPECT_EQ(defaults, table()) << bad.what;
    }
    wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE);
}

// Permissions do not stop root, so this case runs only for other users.
TEST_F(FlitWordCalcsSerializerTest, AFileWithoutReadPermissionIsRefused) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "running as root, which reads a file whatever its permissions";
    }
    wxFFile(path, "wb").Write(document({25, 100, 250, 400, 550, 950}, 50));
    ASSERT_EQ(0, chmod(path.utf8_str(), 0));
    CFlitWordCalcsSerializer loader(&calcs, path.utf8_str());
    EXPECT_FALSE(loader.load());
    EXPECT_NE(wxNOT_FOUND, loader.getLoadError().Find("cannot be read"));
    EXPECT_EQ(100, CFlitWordCalcs::kTimingTable[1].speed);
}

TEST_F(FlitWordCalcsSerializerTest, CopiedRowSerializerWritesTheSameRow) {
    CTimingTableData row(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
    CTimingTableDataSerializer original(&row, nullptr);
    CTimingTableDataSerializer copy(original);
    row.speed = 99;
    std::unique_ptr<wxXmlNode> element(copy.createDataAsXML());
    EXPECT_EQ("99", element->GetChildren()->GetNext()->GetNodeContent());
}

// --- Inputs found by fuzzing the settings loader (tests/fuzz, target timing_settings) ---

// Files whose percentages were a million, or the largest int, made the timings computed from
// them overflow. Such values, and negative ones, are stored as they are; the timing rules below
// stay defined for them.
TEST_F(FlitWordCalcsSerializerTest, FuzzFoundHugePercentagesAreStoredAsTheyAre) {
    for (int pct : {1000000, 2147483647, -5}) {
        EXPECT_TRUE(loadText(document({25, 100, 250, 400, 550, 950}, pct))) << pct;
        EXPECT_EQ(pct, CFlitWordCalcs::kTimingTable[3].iwdCommaAdjPercentage) << pct;
    }
}

// Any accepted file, down to one that changes nothing, leaves a table that times any word at any
// speed an int holds without overflow: times keep the sign of the table's percentages. Scaling
// a speed past 21 million by 100 in an int made the blank after a word a negative time; at the
// top speed it is 0.
TEST_F(FlitWordCalcsSerializerTest, FuzzFoundAcceptedTablesTimeEverySpeedWithoutOverflow) {
    const int top = 2147483647;
    const wxString accepted[] = {
        "<flit_word_calcs/>",
        "<flit_word_calcs><timing_table_data><speed>10</speed></timing_table_data>"
        "</flit_word_calcs>",
        document({1, 2, 3, 4, 5, 100000}, 1500),
        document({1, 50, 99997, 99998, 99999, 100000}, 0),
        document({-top - 1, top - 4, top - 3, top - 2, top - 1, top}, top),
        document({-5, 0, 1, 2, 3, 4}, -top - 1),
    };
    const std::string longWord(4000, 'W');
    for (const wxString& text : accepted) {
        ASSERT_TRUE(loadText(text)) << text;
        const bool negative = CFlitWordCalcs::kTimingTable[0].wdBaseValueAdjPercentage < 0;
        const auto ok = [negative](int time) { return negative ? time <= 0 : time >= 0; };
        for (int speed : {1, 2, 5, 10, 250, 99999, 100000, 100001, 21474837, top}) {
            for (const char* word : {"a", "Smith,", "NASA.", "1999", "Dr.", longWord.c_str()}) {
                const std::string shown = std::string(word).substr(0, 8);
                EXPECT_TRUE(ok(calcs.calcWordDisplayTime(word, speed))) << speed << shown;
                EXPECT_TRUE(ok(calcs.calcInterWordDelayTime(word, ' ', speed))) << speed << shown;
                EXPECT_TRUE(ok(calcs.calcInterWordDelayTime(word, '\n', speed))) << speed << shown;
            }
            // A rest is a percentage of a percentage: never below zero.
            EXPECT_GE(calcs.calcRestDelay(3, speed), 0) << speed;
            EXPECT_GE(calcs.calcSustainDelay(3, speed), 0) << speed;
        }
        EXPECT_EQ(0, calcs.calcInterWordDelayTime("a", '\n', top)) << text;
        EXPECT_EQ(0, calcs.calcRestDelay(3, top)) << text;
        CFlitWordCalcs::restoreDefaultTimingTable();
    }
}
