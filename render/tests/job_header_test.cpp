// The job header and its texts, byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/os_profile.h>

#include "command_strings.h"
#include "job_header.h"

namespace {

class CapturedOutput final : public JobHeaderOutput {
public:
    HRESULT SendString(DWORD id) override {
        std::string bytes;
        if (!LoadCommandString(id, &bytes)) return E_FAIL;
        m_bytes += bytes;
        return S_OK;
    }
    HRESULT SendLine(const std::string& line) override {
        m_bytes += line;
        return S_OK;
    }
    std::string m_bytes;
};

const std::string kStart = "\x1b%-12345X@PJL JOB\n";
const std::string kComment = "@PJL COMMENT \"TOVQEB (1.0.0.1); Microsoft Windows  10.0.19045 ; Unidrv 0.3.0.1\"\n";
const std::string kCodeSet = "@PJL SET QVSTRINGCODESET=UTF8\n";
const std::string kJobName = "@PJL SET JOBNAME=\"Report\"\n";
const std::string kUserName = "@PJL SET USERNAME=\"taro\"\n";
const std::string kJobId = "@PJL SET QVJOBID=\"0A1B2C3D4E5F1210142305123\"\n";

JobHeaderValues BaseValues() {
    JobHeaderValues values;
    values.m_commentKnown = true;
    values.m_commentText = u"TOVQEB (1.0.0.1); Microsoft Windows  10.0.19045 ; Unidrv 0.3.0.1";
    values.m_jobNameLine = kJobName;
    values.m_userNameKnown = true;
    values.m_userName = u"taro";
    values.m_jobIdKnown = true;
    values.m_jobId = "0A1B2C3D4E5F1210142305123";
    return values;
}

struct HeaderCase {
    const char* name;
    BYTE printType;
    const char16_t* holdId;
    const char16_t* holdKey;
    BYTE tracking;
    const char16_t* userId;
    const char16_t* userKey;
    BYTE nupPages;
    std::string tail;  // what follows the job identifier line
};

TEST(JobHeader, LinesInOrderForEachSetting) {
    const HeaderCase cases[] = {
        {"not held", 0, u"id", u"key", 0, u"", u"", 0, "@PJL SET HOLD=OFF\n@PJL SET QVNIN1=1\n"},
        {"held with id and key", 1, u"suzuki", u"1234", 0, u"", u"", 1,
         "@PJL SET HOLD=STORE\n@PJL SET QVHOLDID=\"suzuki\"\n@PJL SET QVHOLDKEY=\"1234\"\n@PJL SET QVNIN1=2\n"},
        {"held with id, no key", 1, u"suzuki", u"", 0, u"", u"", 2,
         "@PJL SET HOLD=STORE\n@PJL SET QVHOLDID=\"suzuki\"\n@PJL SET QVHOLDKEY=\"\"\n@PJL SET QVNIN1=4\n"},
        {"held with empty id", 1, u"", u"1234", 0, u"", u"", 3, "@PJL SET HOLD=STORE\n@PJL SET QVNIN1=6\n"},
        {"tracking on", 0, u"", u"", 1, u"\u4f50\u85e4", u"99", 4,
         "@PJL SET HOLD=OFF\n@PJL SET QVUSERID=\"\xe4\xbd\x90\xe8\x97\xa4\"\n@PJL SET QVUSERKEY=\"99\"\n"
         "@PJL SET QVNIN1=9\n"},
        {"tracking on, empty values", 0, u"", u"", 1, u"", u"", 5,
         "@PJL SET HOLD=OFF\n@PJL SET QVUSERID=\"\"\n@PJL SET QVUSERKEY=\"\"\n@PJL SET QVNIN1=16\n"},
        {"held and tracking", 1, u"h", u"k", 1, u"u", u"p", 0,
         "@PJL SET HOLD=STORE\n@PJL SET QVHOLDID=\"h\"\n@PJL SET QVHOLDKEY=\"k\"\n@PJL SET QVUSERID=\"u\"\n"
         "@PJL SET QVUSERKEY=\"p\"\n@PJL SET QVNIN1=1\n"},
        {"pages per sheet out of range", 0, u"", u"", 0, u"", u"", 9, "@PJL SET HOLD=OFF\n@PJL SET QVNIN1=1\n"},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        JobHeaderValues values = BaseValues();
        values.m_printType = c.printType;
        values.m_holdId = c.holdId;
        values.m_holdKey = c.holdKey;
        values.m_userTracking = c.tracking;
        values.m_userId = c.userId;
        values.m_userKey = c.userKey;
        values.m_nupPages = c.nupPages;
        CapturedOutput output;
        EXPECT_EQ(WriteJobHeader(values, output), S_OK);
        EXPECT_EQ(output.m_bytes, kStart + kComment + kCodeSet + kJobName + kUserName + kJobId + c.tail);
    }
}

TEST(JobHeader, MissingPartsAreLeftOut) {
    JobHeaderValues values = BaseValues();
    values.m_commentKnown = false;
    values.m_jobNameLine.clear();
    values.m_userNameKnown = false;
    values.m_jobIdKnown = false;
    CapturedOutput output;
    WriteJobHeader(values, output);
    EXPECT_EQ(output.m_bytes, kStart + kCodeSet + "@PJL SET HOLD=OFF\n@PJL SET QVNIN1=1\n");
}

TEST(JobHeader, AccountValuesAreCutToTheirField) {
    JobHeaderValues values = BaseValues();
    values.m_printType = 1;
    values.m_holdId = std::u16string(62, u'a') + u"\u00e9";  // 64 bytes in UTF-8: the last character goes
    values.m_holdKey = std::u16string(63, u'k');
    CapturedOutput output;
    WriteJobHeader(values, output);
    EXPECT_NE(output.m_bytes.find("@PJL SET QVHOLDID=\"" + std::string(62, 'a') + "\"\n"), std::string::npos);
    EXPECT_NE(output.m_bytes.find("@PJL SET QVHOLDKEY=\"" + std::string(63, 'k') + "\"\n"), std::string::npos);
}

struct CutCase {
    std::u16string text;
    std::string kept;
};

TEST(JobHeader, JobNameKeepsAtMost93BytesOfWholeCharacters) {
    const CutCase cases[] = {
        {std::u16string(93, u'a'), std::string(93, 'a')},
        {std::u16string(94, u'a'), std::string(93, 'a')},
        {std::u16string(90, u'a') + u"\u3042", std::string(90, 'a') + "\xe3\x81\x82"},       // ends at byte 93
        {std::u16string(91, u'a') + u"\u3042", std::string(91, 'a')},                        // byte 94 is its last
        {std::u16string(92, u'a') + u"\u3042", std::string(92, 'a')},                        // byte 94 in its middle
        {std::u16string(92, u'a') + u"\U0001F600", std::string(92, 'a')},                    // four bytes
        {u"", ""},
    };
    for (const CutCase& c : cases) {
        std::string line;
        ASSERT_TRUE(JobNameLine(c.text, &line));
        EXPECT_EQ(line, "@PJL SET JOBNAME=\"" + c.kept + "\"\n");
    }
}

TEST(JobHeader, UserNameKeepsAtMost79Bytes) {
    const CutCase cases[] = {
        {std::u16string(79, u'u'), std::string(79, 'u')},
        {std::u16string(80, u'u'), std::string(79, 'u')},
        {std::u16string(81, u'u'), std::string(79, 'u')},
        {std::u16string(77, u'u') + u"\u00e9", std::string(77, 'u') + "\xc3\xa9"},
        {std::u16string(78, u'u') + u"\u00e9", std::string(78, 'u')},
        {std::u16string(78, u'u') + u"\u3042", std::string(78, 'u')},
    };
    for (const CutCase& c : cases) {
        std::string line;
        ASSERT_TRUE(UserNameLine(c.text, &line));
        EXPECT_EQ(line, "@PJL SET USERNAME=\"" + c.kept + "\"\n");
    }
}

TEST(JobHeader, QuotedValuesCannotEndTheLine) {
    std::string line;
    ASSERT_TRUE(JobNameLine(u"a\"b\r\n@PJL SET HOLD=OFF\tc", &line));
    EXPECT_EQ(line, "@PJL SET JOBNAME=\"a'b  @PJL SET HOLD=OFF c\"\n");
    ASSERT_TRUE(UserNameLine(u"x\"\ny", &line));
    EXPECT_EQ(line, "@PJL SET USERNAME=\"x' y\"\n");
}

SystemVersion Version(DWORD major, DWORD minor, DWORD build, BYTE productType, WORD suite) {
    SystemVersion version;
    version.m_known = true;
    version.m_info.dwMajorVersion = major;
    version.m_info.dwMinorVersion = minor;
    version.m_info.dwBuildNumber = build;
    version.m_info.wProductType = productType;
    version.m_info.wSuiteMask = suite;
    return version;
}

TEST(JobHeader, SystemDescriptionByVersion) {
    struct Case {
        SystemVersion version;
        std::u16string words;
    };
    auto with = [](SystemVersion v, DWORD product) {
        v.m_productTypeKnown = true;
        v.m_productType = product;
        return v;
    };
    auto x64 = [](SystemVersion v) {
        v.m_processorArchitecture = 9;
        return v;
    };
    const Case cases[] = {
        {Version(5, 0, 2195, 1, 0), u"2000 Professional"},
        {Version(5, 0, 2195, 3, 0x80), u"2000 Datacenter Server"},
        {Version(5, 0, 2195, 3, 0x2), u"2000 Advanced Server"},
        {Version(5, 1, 2600, 1, 0x200), u"XP Home Edition"},
        {Version(5, 1, 2600, 1, 0), u"XP Professional"},
        {Version(5, 2, 3790, 1, 0), u"XP Professional x64 Edition"},
        {Version(5, 2, 3790, 3, 0x400), u"Server 2003 Web Edition"},
        {x64(Version(5, 2, 3790, 3, 0x2)), u"Server 2003 Enterprise x64 Edition"},
        {with(Version(6, 0, 6002, 1, 0), 3), u"Vista Home Premium Edition"},
        {with(Version(6, 1, 7601, 3, 0), 0xABCDABCD), u"Server 2008 R2 Unlicensed"},
        {Version(6, 1, 7601, 1, 0), u"7 "},
        {with(Version(6, 2, 9200, 1, 0), 48), u"8 Pro Edition"},
        {with(Version(6, 2, 9200, 3, 0), 101), u"Server 2012"},
        {with(Version(6, 2, 9200, 3, 0), 77), u"Server 2012 Unknown"},
        {Version(10, 0, 19045, 1, 0), u""},
        {SystemVersion{}, u""},
    };
    for (const Case& c : cases) EXPECT_EQ(OsDescription(c.version), u"Microsoft Windows " + c.words);
}

TEST(JobHeader, CommentLineForAProfileAndDriver) {
    SystemVersion version = Version(6, 1, 7601, 1, 0);
    version.m_productTypeKnown = true;
    version.m_productType = 1;
    const char16_t sp[] = u"Service Pack 1";
    std::copy(std::begin(sp), std::end(sp), version.m_info.szCSDVersion);
    std::string line;
    ASSERT_TRUE(CommentLine(CommentText(u"TOVQEB (1.0.0.1);", version, u"Unidrv 0.3.7601.17514"), &line));
    EXPECT_EQ(line,
              "@PJL COMMENT \"TOVQEB (1.0.0.1); Microsoft Windows 7 Ultimate Edition 6.1.7601 Service Pack 1; "
              "Unidrv 0.3.7601.17514\"\n");
    ASSERT_TRUE(CommentLine(CommentText(u"", SystemVersion{}, u""), &line));
    EXPECT_EQ(line, "@PJL COMMENT \" Microsoft Windows 0.0.0 ; \"\n");
    // "Vista " without an edition's words (no product type) is followed by one space only.
    ASSERT_TRUE(CommentLine(CommentText(u"TOVQEB (1.0.0.1);", Version(6, 0, 6002, 1, 0), u"Unidrv 0.3.0.1"), &line));
    EXPECT_EQ(line, "@PJL COMMENT \"TOVQEB (1.0.0.1); Microsoft Windows Vista 6.0.6002 ; Unidrv 0.3.0.1\"\n");
}

// The line as the running system describes itself, read through the platform's own functions.
TEST(JobHeader, CommentLineForEachMachineProfile) {
    struct Case {
        DWORD major, minor, build;
        BYTE productType;
        WORD suite;
        DWORD productInfo;
        bool r2;
        std::u16string servicePack;
        std::string comment;
    };
    const Case cases[] = {
        {5, 1, 2600, 1, 0x200, 48, false, u"Service Pack 3",
         "Microsoft Windows XP Home Edition 5.1.2600 Service Pack 3"},
        // The R2 mark's double quotes cannot stand in a PJL string.
        {5, 2, 3790, 3, 0x2, 48, true, u"Service Pack 2",
         "Microsoft Windows Server 2003 'R2' Enterprise x64 Edition 5.2.3790 Service Pack 2"},
        {6, 1, 7601, 1, 0x100, 1, false, u"Service Pack 1", "Microsoft Windows 7 Ultimate Edition 6.1.7601 Service Pack 1"},
        {6, 2, 9200, 1, 0x100, 48, false, u"", "Microsoft Windows 8 Pro Edition 6.2.9200 "},
        // No words for the version: one space before the numbers all the same.
        {10, 0, 19045, 1, 0x100, 48, false, u"", "Microsoft Windows 10.0.19045 "},
    };
    palvex::TestMachine machine;
    for (const Case& c : cases) {
        palvex::OsProfile profile;
        profile.majorVersion = c.major;
        profile.minorVersion = c.minor;
        profile.buildNumber = c.build;
        profile.productType = c.productType;
        profile.suiteMask = c.suite;
        profile.productInfoType = c.productInfo;
        profile.serverR2 = c.r2;
        profile.csdVersion = c.servicePack;
        palvex::SetOsProfile(profile);
        std::string line;
        ASSERT_TRUE(CommentLine(CommentText(u"TOVQEB (1.0.0.1);", ReadSystemVersion(), u"Unidrv 0.3.0.1"), &line));
        EXPECT_EQ(line, "@PJL COMMENT \"TOVQEB (1.0.0.1); " + c.comment + "; Unidrv 0.3.0.1\"\n") << c.major << "." << c.minor;
    }
}

TEST(JobHeader, CommentLineIsBoundedToItsBuffer) {
    std::string line;
    ASSERT_TRUE(CommentLine(std::u16string(400, u'd'), &line));
    EXPECT_EQ(line, "@PJL COMMENT \"" + std::string(239, 'd') + "\"\n");
    EXPECT_EQ(line.size(), 255u);
}

}  // namespace
