// G3D files on disk: the saved bytes, loading relative to the current centre, malformed and
// hostile files, and saves that fail without harming the file they were meant to replace.
#include "G3dFile.h"
#include "Backups.h"
#include "CallFaults.h"
#include "FileBytes.h"
#include "FileError.h"
#include "ModelChecks.h"
#include "RecordingMsgBox.h"
#include "SafeWriter.h"
#include "SeededRandom.h"
#include "TempFolder.h"
#include "c3dObj.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

// What a file held before a save.
constexpr const char* kOldFile = "G3DModel\r\nold\r\n1,2,3\r\n";

// A model that already holds something, to see that a failing load leaves it alone.
c3dObj Existing() {
    c3dObj obj;
    obj.SetCxyz(100, 200, 300);
    obj.ObjName = "before";
    obj.AddPoint(101, 202, 303);
    return obj;
}

// call fails with a FileError for reason, on line, and its text holds says.
void ExpectFileError(const std::function<void()>& call, FileError::Reason reason, long line = 0,
                     const std::string& says = "") {
    try {
        call();
        ADD_FAILURE() << "no FileError";
    } catch (const FileError& e) {
        EXPECT_EQ(e.reason(), reason) << e.what();
        EXPECT_EQ(e.line(), line) << e.what();
        EXPECT_NE(std::string(e.what()).find(says), std::string::npos) << e.what();
    }
}

using Reason = FileError::Reason;

// Point lines "i,-i,2i" for i = 1 .. count.
std::string CountingPoints(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += std::to_string(i) + "," + std::to_string(-i) + "," + std::to_string(2 * i) + "\r\n";
    }
    return text;
}

// Runs body in a child process after restrict, which returns false when it cannot restrict the
// child. Returns the child's exit code.
int InChild(const std::function<bool()>& restrict, const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (!restrict()) {
            _exit(90);
        }
        int code = 91;
        try {
            code = body();
        } catch (...) {
            code = 92;
        }
        _exit(code);
    }
    if (pid < 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Files may not grow past limit bytes, with the signal that would kill the process ignored, so
// that the write itself fails.
int InChildWithFileSizeLimit(rlim_t limit, const std::function<int()>& body) {
    const auto restrict = [limit] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{limit, limit};
        return setrlimit(RLIMIT_FSIZE, &small) == 0;
    };
    return InChild(restrict, body);
}

// Every file under root, symbolic links included, by its path below root.
std::vector<std::string> FilesUnder(const fs::path& root) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_directory() || entry.is_symlink()) {
            files.push_back(entry.path().lexically_relative(root).string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// 0 when SaveFile failed for reason and left the model as it was.
int SaveMustFail(const c3dObj& obj, const std::string& file, Reason reason) {
    const c3dObj before = obj;
    try {
        obj.SaveFile(file);
    } catch (const FileError& e) {
        return e.reason() != reason ? 2 : SameModel(obj, before) ? 0 : 3;
    }
    return 1;
}

class G3dFile : public ::testing::Test {
protected:
    // Writes bytes to a file in the test's folder and returns its name.
    std::string Write(const std::string& bytes, const std::string& name = "in.G3D") {
        const std::string file = folder.file(name);
        WriteBytes(file, bytes);
        return file;
    }

    TempFolder folder;
    RecordingMsgBox box;
};

} // namespace

// ---- saving ----

TEST_F(G3dFile, SaveFile_WritesHeaderNameAndOneOffsetLinePerPoint_AllEndingCrLf) {
    c3dObj obj;
    obj.SetCxyz(100, 100, 0);
    obj.ObjName = "cube";
    obj.AddPoint(110, 90, 0);
    obj.AddPoint(100, 100, 5);
    obj.AddPoint(97.5f, 100.25f, 12345678);
    const std::string file = folder.file("cube.G3D");
    obj.SaveFile(file);
    EXPECT_EQ(ReadBytes(file), "G3DModel\r\ncube\r\n10,-10,0\r\n0,0,5\r\n"
                               "-2.5,0.25,1.234568E+07\r\n");
}

TEST_F(G3dFile, SaveFile_EmptyModel_IsTheHeaderAndAnEmptyNameLine) {
    const c3dObj obj;
    const std::string file = folder.file("empty.G3D");
    obj.SaveFile(file);
    EXPECT_EQ(ReadBytes(file), "G3DModel\r\n\r\n");
}

// An existing file keeps its owner, group and mode: see the fault table below.
TEST_F(G3dFile, SaveFile_NewFile_TakesTheUmask) {
    const mode_t savedMask = umask(027);
    c3dObj().SaveFile(folder.file("new.G3D"));
    umask(savedMask);
    EXPECT_EQ(fs::status(folder.file("new.G3D")).permissions(), fs::perms(0640));
}

TEST_F(G3dFile, SaveFile_ThroughAChainOfRelativeLinks_WritesWhereTheLastPointsKeepingThem) {
    fs::create_directory(folder.file("sub"));
    fs::create_symlink("sub/hop.G3D", folder.file("first.G3D"));
    fs::create_symlink("../end.G3D", folder.file("sub/hop.G3D")); // nothing there yet
    c3dObj obj;
    obj.SaveFile(folder.file("first.G3D"));
    obj.ObjName = "again";
    obj.SaveFile(folder.file("first.G3D"));
    EXPECT_EQ(ReadBytes(folder.file("end.G3D")), "G3DModel\r\nagain\r\n");
    EXPECT_TRUE(fs::is_symlink(folder.file("first.G3D")));
    EXPECT_TRUE(fs::is_symlink(folder.file("sub/hop.G3D")));
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"end.G3D", "first.G3D", "sub"}));
    fs::create_symlink("loop.G3D", folder.file("loop.G3D"));
    EXPECT_THROW(obj.SaveFile(folder.file("loop.G3D")), FileError);
}

TEST_F(G3dFile, SaveFile_LongestFileNameTheSystemAllows_Saves) {
    const std::string name = std::string(251, 'n') + ".G3D"; // 255 characters
    const c3dObj obj;
    ASSERT_NO_THROW(obj.SaveFile(folder.file(name)));
    EXPECT_EQ(ReadBytes(folder.file(name)), "G3DModel\r\n\r\n");
    EXPECT_EQ(folder.names(), std::vector<std::string>{name});
}

// Backups in the cache of files in different folders never share a name, however the paths look,
// and every name fits a folder and ends in the file's own.
TEST_F(G3dFile, BackupNames_OfDifferentFilesInTheCache_DifferAndFit) {
    const std::string deep = "/" + std::string(300, 'd');
    const std::string files[] = {"/a!b/c",      "/a/b!c",           "/a!/!b/c",
                                 "/a/!!b/c",    "/a%21b/c",         deep + "/x/m",
                                 deep + "/y/m", "/x" + deep + "/m", "/y" + deep + "/m"};
    std::vector<std::string> seen;
    for (const std::string& file : files) {
        for (const int n : {0, 1}) {
            seen.push_back(Backups::Name(file, false, n));
            const std::string name = fs::path(seen.back()).filename().string();
            EXPECT_LE(name.size(), std::size_t{NAME_MAX});
            const std::string own = fs::path(file).filename().string() + "~";
            EXPECT_TRUE(n > 0 || own.find('!') != std::string::npos || name.ends_with(own)) << name;
        }
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
}

// ---- loading ----

TEST_F(G3dFile, RoundTrip_AwkwardValues_ComeBackRoundedToSevenDigits) {
    c3dObj obj;
    obj.ObjName = "  awkward name\t";
    obj.AddPoint(-0.0f, 1e-7f, 3.4e38f);
    obj.AddPoint(12345678, 1.0f / 3, -2.0f / 3);
    obj.AddPoint(-16777216, 1e-45f, -3.4e38f);
    obj.AddPoint(10, -20.5f, 0);
    const std::string file = folder.file("awkward.G3D");
    obj.SaveFile(file);

    c3dObj back; // emptied, with the same centre (0, 0, 0)
    back.LoadFileEx(file);
    EXPECT_EQ(back.ObjName, "  awkward name\t");
    ASSERT_EQ(back.nPoints(), 4);
    EXPECT_TRUE(PointIs(back, 0, 0, 1e-7f, 3.4e38f));
    EXPECT_TRUE(PointIs(back, 1, 12345680, 0.3333333f, -0.6666667f));
    EXPECT_TRUE(PointIs(back, 2, -16777220, 1e-45f, -3.4e38f));
    EXPECT_TRUE(PointIs(back, 3, 10, -20.5f, 0));
    EXPECT_TRUE(box.messages.empty());
}

TEST_F(G3dFile, RoundTrip_AtAnOffCentre_KeepsWholeNumbersAndHalvesExactly) {
    c3dObj obj;
    obj.SetCxyz(512.5f, -300, 77);
    obj.AddPoint(512.5f + 40, -300 - 12.5f, 77 + 1000);
    obj.AddPoint(0, 0, 0);
    const std::string file = folder.file("m.G3D");
    obj.SaveFile(file);
    c3dObj back;
    back.SetCxyz(512.5f, -300, 77);
    back.LoadFileEx(file);
    EXPECT_TRUE(SameModel(back, obj));
}

TEST_F(G3dFile, LoadFileEx_IntoAnotherCentre_PutsTheSameShapeThere) {
    const std::string file = Write("G3DModel\r\ncube\r\n10,-10,0\r\n0,0,5\r\n");
    c3dObj obj;
    obj.SetCxyz(400, 300, 50);
    obj.LoadFileEx(file);
    ASSERT_EQ(obj.nPoints(), 2);
    EXPECT_TRUE(PointIs(obj, 0, 10, -10, 0));
    EXPECT_TRUE(PointIs(obj, 1, 0, 0, 5));
    EXPECT_EQ(obj.GetX(0) + obj.GetCX(), 410.0f);
    EXPECT_EQ(obj.GetY(0) + obj.GetCY(), 290.0f);
    EXPECT_EQ(obj.GetCZ(), 50.0f);
}

TEST_F(G3dFile, LoadFileEx_Twice_AppendsEveryPointTwiceInFileOrder) {
    const std::string file = Write("G3DModel\r\nname\r\n1,2,3\r\n4,5,6\r\n");
    c3dObj obj = Existing();
    obj.LoadFileEx(file);
    obj.LoadFileEx(file);
    EXPECT_EQ(obj.ObjName, "name");
    ASSERT_EQ(obj.nPoints(), 5);
    EXPECT_TRUE(PointIs(obj, 0, 1, 2, 3)); // was there before
    EXPECT_TRUE(PointIs(obj, 1, 1, 2, 3));
    EXPECT_TRUE(PointIs(obj, 2, 4, 5, 6));
    EXPECT_TRUE(PointIs(obj, 3, 1, 2, 3));
    EXPECT_TRUE(PointIs(obj, 4, 4, 5, 6));
}

TEST_F(G3dFile, LoadFileEx_HeaderWithBlanksAround_Loads) {
    c3dObj obj;
    obj.LoadFileEx(Write("   G3DModel  \r\n name \r\n1,2,3\r\n"));
    EXPECT_EQ(obj.ObjName, " name ");
    EXPECT_EQ(obj.nPoints(), 1);
    EXPECT_TRUE(box.messages.empty());
}

TEST_F(G3dFile, LoadFileEx_WrongHeader_ShowsInvalidFileAndLeavesTheModel) {
    for (const char* header : {"g3dmodel", "G3DMODEL", "\tG3DModel", "G3DModel\t", "G3D Model",
                               "G3DModels", "", "\xEF\xBB\xBFG3DModel", "1,2,3"}) {
        SCOPED_TRACE(std::string("header '") + header + "'");
        box.messages.clear();
        c3dObj obj = Existing();
        const c3dObj before = obj;
        ASSERT_NO_THROW(obj.LoadFileEx(Write(std::string(header) + "\r\nname\r\n1,2,3\r\n")));
        EXPECT_TRUE(SameModel(obj, before));
        ASSERT_EQ(box.messages.size(), 1u);
        EXPECT_EQ(box.messages[0].text, " Invalid File ");
        EXPECT_EQ(box.messages[0].icon, MsgBox::Icon::Critical);
        EXPECT_EQ(box.messages[0].title, "Tessaly");
    }
}

TEST_F(G3dFile, LoadFileEx_BlankLinesAndBlanksAroundNumbers_AreAccepted) {
    c3dObj obj;
    obj.LoadFileEx(Write("G3DModel\r\nn\r\n\r\n1, 2, 3\r\n    \r\n\r\n -1.5e2 ,+2,  .5 \r\n"));
    ASSERT_EQ(obj.nPoints(), 2);
    EXPECT_TRUE(PointIs(obj, 0, 1, 2, 3));
    EXPECT_TRUE(PointIs(obj, 1, -150, 2, 0.5f));
}

TEST_F(G3dFile, LoadFileEx_LfLineEndsAndNoEndOnTheLastLine_Load) {
    c3dObj obj;
    obj.LoadFileEx(Write("G3DModel\nlf only\n1,2,3\n\n4,5,6"));
    EXPECT_EQ(obj.ObjName, "lf only");
    ASSERT_EQ(obj.nPoints(), 2);
    EXPECT_TRUE(PointIs(obj, 0, 1, 2, 3));
    EXPECT_TRUE(PointIs(obj, 1, 4, 5, 6));
}

TEST_F(G3dFile, LoadFileEx_OneCommaLine_StopsTheLoadKeepingEarlierPoints) {
    c3dObj obj = Existing();
    EXPECT_THROW(obj.LoadFileEx(Write("G3DModel\r\nn\r\n1,2,3\r\n4,5,6\r\n1,2\r\n7,8,9\r\n")),
                 std::runtime_error);
    EXPECT_EQ(obj.ObjName, "n");
    ASSERT_EQ(obj.nPoints(), 3);
    EXPECT_TRUE(PointIs(obj, 1, 1, 2, 3));
    EXPECT_TRUE(PointIs(obj, 2, 4, 5, 6));
}

TEST_F(G3dFile, LoadFileEx_PointLineThatIsNotThreeNumbers_StopsTheLoadThere) {
    for (const char* line :
         {"nan,1,2", "1,inf,2", "1,2,-inf", "1,2,", ",1,2", "1,,2", "1,2,1e39", "-1e39,0,0",
          "1,2,3,4", "1,2,3\t", "\t", "1;2;3", "a,b,c", "1,2,3\r\r"}) {
        SCOPED_TRACE(std::string("line '") + line + "'");
        c3dObj obj;
        const std::string file =
            Write(std::string("G3DModel\r\nn\r\n9,8,7\r\n") + line + "\r\n1,1,1\r\n");
        ExpectFileError([&] { obj.LoadFileEx(file); }, Reason::BadContent, 4);
        ASSERT_EQ(obj.nPoints(), 1);
        EXPECT_TRUE(PointIs(obj, 0, 9, 8, 7));
    }
}

TEST_F(G3dFile, LoadFileEx_BadPointLine_SaysWhichLineAndWhatIsWrongWithIt) {
    const std::string long50(50, '7');
    const std::pair<std::string, std::string> cases[] = {
        {"1;2;3", "line 5: expected three numbers separated by commas"},
        {"1, x ,3", "line 5: 'x' is not a number"},
        {"1,  ,3", "line 5: a number is missing"},
        {"1,2,-1e39", "line 5: '-1e39' is too large for a coordinate"},
        {"1,2," + long50 + "x", "line 5: '" + long50.substr(0, 40) + "...' is not a number"},
        {"1,a\tb,3", "line 5: 'a\\x09b' is not a number"},
        // Bytes that are not text, as in an image opened by mistake, are shown as such.
        {"1,2,\x89PNG\xC3\x28\xE2\x82", "line 5: '\\x89PNG\\xC3(\\xE2\\x82' is not"},
        {"1,2,\xC0\xAF\xED\xA0\x80\xE2\x82\xAC", "'\\xC0\\xAF\\xED\\xA0\\x80\xE2\x82\xAC'"},
        {"1,\xC2\x85\xE2\x80\xAEx\xE2\x80\x93,3", "'\\xC2\\x85\\xE2\\x80\\xAEx\xE2\x80\x93'"},
        {"1,\xC2\x80x\xC2\x9F\xC2\xA0,3", "'\\xC2\\x80x\\xC2\\x9F\xC2\xA0'"},
        {"1,\xE2\x80\x8E\xE2\x80\x8Fx\xE2\x81\xA6\xE2\x81\xA9,3",
         "'\\xE2\\x80\\x8E\\xE2\\x80\\x8Fx\\xE2\\x81\\xA6\\xE2\\x81\\xA9'"},
        {"1,2," + std::string(39, 'e') + "\xC3\xA9", "line 5: '" + std::string(39, 'e') + "...'"},
    };
    for (const auto& [line, says] : cases) {
        c3dObj obj;
        const std::string file = Write("G3DModel\r\nn\r\n1,2,3\r\n\r\n" + line + "\r\n");
        ExpectFileError([&] { obj.LoadFileEx(file); }, Reason::BadContent, 5, says);
        EXPECT_EQ(obj.nPoints(), 1);
    }
}

TEST_F(G3dFile, LoadFileEx_NulInsideALine_IsTextNotTheEnd) {
    constexpr char bytes[] = "G3DModel\r\nna\0me\r\n1,2,3\r\n1,2\0,3\r\n";
    c3dObj obj;
    EXPECT_THROW(obj.LoadFileEx(Write(std::string(bytes, sizeof bytes - 1))), std::runtime_error);
    EXPECT_EQ(obj.ObjName, std::string("na\0me", 5));
    EXPECT_EQ(obj.nPoints(), 1);
}

TEST_F(G3dFile, LoadThenSave_NameWithStrayCarriageReturns_WritesTheSameBytesBack) {
    const std::string bytes = "G3DModel\r\nna\rme\r\r\n1,2,3\r\n";
    const std::string file = Write(bytes);
    c3dObj obj;
    obj.LoadFileEx(file);
    EXPECT_EQ(obj.ObjName, "na\rme\r");
    obj.SaveFile(file);
    EXPECT_EQ(ReadBytes(file), bytes);
}

TEST_F(G3dFile, LoadFileEx_FileEndingBeforeTheName_FailsAndLeavesTheModel) {
    for (const char* bytes : {"", "G3DModel\r\n", "G3DModel", "  G3DModel \n"}) {
        SCOPED_TRACE(std::string("file '") + bytes + "'");
        c3dObj obj = Existing();
        const c3dObj before = obj;
        const std::string file = Write(bytes);
        ExpectFileError([&] { obj.LoadFileEx(file); }, Reason::BadContent, *bytes == 0 ? 1 : 2);
        EXPECT_TRUE(SameModel(obj, before));
    }
    EXPECT_TRUE(box.messages.empty());
}

TEST_F(G3dFile, LoadFileEx_NameOnlyWithoutPoints_EmptiesNothingAndAddsNothing) {
    c3dObj obj = Existing();
    obj.LoadFileEx(Write("G3DModel\r\n\r\n"));
    EXPECT_EQ(obj.ObjName, "");
    EXPECT_EQ(obj.nPoints(), 1);
}

TEST_F(G3dFile, LoadFileEx_MissingFileOrAFolder_FailsAndLeavesTheModel) {
    c3dObj obj = Existing();
    const c3dObj before = obj;
    ExpectFileError([&] { obj.LoadFileEx(folder.file("missing.G3D")); }, Reason::NotFound);
    ExpectFileError([&] { obj.LoadFileEx(folder.path().string()); }, Reason::IsFolder);
    ExpectFileError([&] { obj.LoadFileEx(""); }, Reason::NotFound);
    EXPECT_TRUE(SameModel(obj, before));
}

TEST_F(G3dFile, LoadFileEx_PipeOrDevice_FailsAtOnceInsteadOfWaitingOrReadingForever) {
    c3dObj obj = Existing();
    const c3dObj before = obj;
    const std::string pipe = folder.file("pipe.G3D");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // No writer: opening would block.
    ExpectFileError([&] { obj.LoadFileEx(pipe); }, Reason::NotRegularFile);
    ExpectFileError([&] { obj.LoadFileEx("/dev/zero"); }, Reason::NotRegularFile);
    EXPECT_TRUE(SameModel(obj, before));
}

TEST_F(G3dFile, LoadFileEx_PointBeyondTheFloatRangeAtThisCentre_StopsTheLoad) {
    c3dObj obj;
    obj.SetCxyz(3e38f, 0, 0);
    const std::string file = Write("G3DModel\r\nn\r\n1,2,3\r\n3e38,0,0\r\n");
    ExpectFileError([&] { obj.LoadFileEx(file); }, Reason::BadContent, 4);
    EXPECT_EQ(obj.nPoints(), 1);
}

TEST_F(G3dFile, LoadFileEx_The32768thPoint_StopsTheLoadKeepingTheFirst32767) {
    const std::string file = Write("G3DModel\r\nbig\r\n" + CountingPoints(32768));
    c3dObj obj;
    ExpectFileError([&] { obj.LoadFileEx(file); }, Reason::BadContent, 32770);
    ASSERT_EQ(obj.nPoints(), 32767);
    EXPECT_TRUE(PointIs(obj, 0, 1, -1, 2));
    EXPECT_TRUE(PointIs(obj, 32766, 32767, -32767, 65534));
    EXPECT_EQ(obj.ObjName, "big");
}

// Every line may be as long as its bound, and a line one byte longer is refused.
TEST_F(G3dFile, LoadFileEx_LinesUpToTheirBounds_LoadAndLongerOnesAreRefused) {
    using ::G3dFile::kMaxHeaderLine, ::G3dFile::kMaxNameLine, ::G3dFile::kMaxPointLine;
    const auto padded = [](std::string text, std::size_t length, char pad) {
        text.resize(length, pad);
        return text;
    };
    const std::string name(kMaxNameLine, 'n');
    c3dObj obj;
    obj.LoadFileEx(Write(std::string(kMaxHeaderLine - 8, ' ') + "G3DModel\r\n" + name + "\r\n" +
                         padded("1,2,0.", kMaxPointLine, '7') + "\r\n" +
                         std::string(kMaxPointLine, ' ') + "\n4,5,6"));
    EXPECT_TRUE(box.messages.empty());
    EXPECT_EQ(obj.ObjName, name);
    ASSERT_EQ(obj.nPoints(), 2);
    EXPECT_EQ(obj.GetZ(0), 0.7777778f);
    EXPECT_TRUE(PointIs(obj, 1, 4, 5, 6));

    const c3dObj before = obj;
    obj.LoadFileEx(Write(std::string(kMaxHeaderLine - 7, ' ') + "G3DModel\r\nn\r\n"));
    EXPECT_EQ(box.messages.size(), 1u);
    const std::string longName = Write("G3DModel\r\n" + name + "n\r\n");
    ExpectFileError([&] { obj.LoadFileEx(longName); }, Reason::BadContent, 2);
    EXPECT_TRUE(SameModel(obj, before));
    for (const auto& [start, end] : {std::pair{"1,2,0.", "\n"}, {" ", "\r\n"}}) {
        const std::string file =
            Write("G3DModel\r\nn\r\n1,2,3\r\n" + padded(start, kMaxPointLine + 1, start[0]) + end);
        ExpectFileError([&] { obj.LoadFileEx(file); }, Reason::BadContent, 4);
        EXPECT_EQ(obj.nPoints(), 3);
        obj.DeletePoint(2);
    }
}

// A file that is no model is refused after its first few KiB, with little memory.
TEST_F(G3dFile, LoadFileEx_HugeFileOfZeros_IsRefusedReadingLittle) {
    constexpr off_t kSize = 300 << 20;
    constexpr long kMaxGrowthKiB = 32 << 10;
    const std::string file = folder.file("zeros.G3D");
    for (const auto& [start, line] :
         {std::pair<std::string, long>{"", 0}, {"G3DModel\r\n", 2}, {"G3DModel\r\nn\r\n", 3}}) {
        WriteBytes(file, start);
        ASSERT_EQ(truncate(file.c_str(), kSize), 0); // a sparse file, quick to make
        const auto load = [&, line = line] {
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            const long peakBefore = usage.ru_maxrss;
            c3dObj obj;
            long failedAt = 0; // a first line that is no header shows " Invalid File "
            try {
                obj.LoadFileEx(file);
            } catch (const FileError& e) {
                failedAt = e.line();
            }
            getrusage(RUSAGE_SELF, &usage);
            return usage.ru_maxrss - peakBefore > kMaxGrowthKiB ? 10 : failedAt == line ? 0 : 11;
        };
        EXPECT_EQ(InChild([] { return true; }, load), 0) << "starting '" << start << "'";
    }
}

TEST_F(G3dFile, LoadFileEx_ArbitraryBytes_AddFinitePointsOrFailButNeverCrash) {
    SeededRandom random(20240611);
    const std::string file = folder.file("junk.G3D");
    int pointsLoaded = 0;
    int failures = 0;
    for (int round = 0; round < 600; ++round) {
        std::string bytes;
        if (round % 3 == 0) {
            // Bytes of any value.
            bytes.resize(static_cast<std::size_t>(random.Below(4096)));
            for (char& b : bytes) {
                b = static_cast<char>(random.Below(256));
            }
        } else {
            // A good file, then a few bytes changed, inserted, removed or repeated.
            bytes = "G3DModel\r\nj\r\n";
            for (int line = random.Below(20); line > 0; --line) {
                bytes += std::to_string(random.Below(2000) - 1000) + "." +
                         std::to_string(random.Below(100)) + ",-" +
                         std::to_string(random.Below(99)) + "e" + std::to_string(random.Below(40)) +
                         ", " + std::to_string(random.Below(7)) +
                         (random.Below(4) == 0 ? "\n" : "\r\n");
            }
            for (int change = random.Below(5); change > 0; --change) {
                const auto at =
                    static_cast<std::size_t>(random.Below(static_cast<int>(bytes.size())));
                const char b = static_cast<char>(random.Below(256));
                switch (random.Below(4)) {
                case 0:
                    bytes[at] = b;
                    break;
                case 1:
                    bytes.insert(at, 1, b);
                    break;
                case 2:
                    bytes.erase(at, 1);
                    break;
                default:
                    bytes.insert(at, bytes.substr(at, static_cast<std::size_t>(random.Below(64))));
                }
            }
        }
        WriteBytes(file, bytes);
        c3dObj obj;
        try {
            obj.LoadFileEx(file);
        } catch (const std::exception&) {
            ++failures; // a malformed file is an error to the caller, and nothing worse
        }
        pointsLoaded += obj.nPoints();
        for (int16_t i = 0; i < obj.nPoints(); ++i) {
            ASSERT_TRUE(std::isfinite(obj.GetX(i)) && std::isfinite(obj.GetY(i)) &&
                        std::isfinite(obj.GetZ(i)));
        }
    }
    // The files reached both the point lines and the failures.
    EXPECT_GT(pointsLoaded, 1000);
    EXPECT_GT(failures, 100);
}

TEST_F(G3dFile, LoadAndSave_FailingInEveryWay_LeaveNoFileOpen) {
    const std::size_t before = OpenDescriptors();
    c3dObj obj;
    EXPECT_THROW(obj.LoadFileEx(Write("")), std::runtime_error);
    EXPECT_THROW(obj.LoadFileEx(Write("G3DModel\r\nn\r\n1,2\r\n")), std::runtime_error);
    EXPECT_THROW(obj.LoadFileEx(Write("G3DModel\r\nn\r\nx,y,z\r\n")), std::runtime_error);
    obj.LoadFileEx(Write("nope\r\n"));
    obj.LoadFileEx(Write("G3DModel\r\nn\r\n1,2,3\r\n"));
    fs::create_directory(folder.file("dir"));
    EXPECT_THROW(obj.SaveFile(folder.file("dir")), std::runtime_error);
    obj.SaveFile(folder.file("out.G3D"));
    EXPECT_EQ(OpenDescriptors(), before);
}

// ---- failed saves keep the old file ----

// Names that cannot take a model: each save fails for what is wrong and changes nothing. Only
// nodes of the test's own folder: a broken save would replace them.
TEST_F(G3dFile, SaveFile_ToANameThatCannotTakeAModel_FailsSayingWhyAndChangingNothing) {
    fs::create_directory(folder.file("folder.G3D"));
    Write(kOldFile, "folder.G3D/kept");
    fs::permissions(Write(kOldFile, "read-only.G3D"),
                    fs::perms::owner_read | fs::perms::group_read);
    Write(kOldFile, "notes.txt");
    ASSERT_EQ(mkfifo(folder.file("pipe.G3D").c_str(), 0600), 0); // opening it would block
    fs::create_symlink(folder.file("pipe.G3D"), folder.file("link.G3D"));
    const std::vector<std::string> before = FilesUnder(folder.path());
    const std::pair<const char*, Reason> cases[] = {
        {"missing/m.G3D", Reason::NotFound},  {"notes.txt/m.G3D", Reason::NotAFolder},
        {"folder.G3D", Reason::IsFolder},     {"read-only.G3D", Reason::PermissionDenied},
        {"pipe.G3D", Reason::NotRegularFile}, {"link.G3D", Reason::NotRegularFile}};
    c3dObj obj;
    obj.AddPoint(1, 1, 1);
    for (const auto& [name, reason] : cases) {
        EXPECT_EQ(SaveMustFail(obj, folder.file(name), reason), 0) << name;
    }
    EXPECT_EQ(SaveMustFail(obj, "", Reason::NotFound), 0);
    EXPECT_EQ(FilesUnder(folder.path()), before);
    for (const char* kept : {"folder.G3D/kept", "read-only.G3D", "notes.txt"}) {
        EXPECT_EQ(ReadBytes(folder.file(kept)), kOldFile);
    }
    EXPECT_TRUE(fs::is_fifo(folder.file("pipe.G3D")));
}

TEST_F(G3dFile, SaveFile_ModelThatCannotBeWritten_FailsKeepingTheOldFile) {
    const std::string file = Write(kOldFile, "m.G3D");
    c3dObj infinite;
    infinite.AddPoint(std::numeric_limits<float>::infinity(), 0, 0);
    EXPECT_EQ(SaveMustFail(infinite, file, Reason::Other), 0);
    c3dObj twoLineName;
    twoLineName.ObjName = "two\nlines";
    EXPECT_EQ(SaveMustFail(twoLineName, file, Reason::Other), 0);
    c3dObj longName;
    longName.ObjName.assign(::G3dFile::kMaxNameLine + 1, 'n'); // it could not be read back
    EXPECT_EQ(SaveMustFail(longName, file, Reason::Other), 0);
    EXPECT_EQ(ReadBytes(file), kOldFile);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"m.G3D"});
}

TEST_F(G3dFile, SaveFile_DiskFullPartWayThrough_KeepsTheOldFileByteForByte) {
    const std::string file = Write(kOldFile, "m.G3D");
    c3dObj big;
    big.ObjName = "big";
    for (int i = 0; i < 3000; ++i) {
        big.AddPoint(static_cast<float>(i) / 7, -static_cast<float>(i), 1e20f);
    }
    EXPECT_EQ(
        InChildWithFileSizeLimit(4096, [&] { return SaveMustFail(big, file, Reason::DiskFull); }),
        0);
    EXPECT_EQ(ReadBytes(file), kOldFile);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"m.G3D"});
}

// When even the old content cannot be put back, its backup stays and the error names it.
TEST_F(G3dFile, SaveFile_HardLinkedFileRefusingEvenItsOldContent_KeepsTheBackupAndNamesIt) {
    const std::string file = Write(kOldFile, "m.G3D");
    fs::create_hard_link(file, folder.file("second.G3D"));
    const std::string backup = Backups::Name(file, true);
    const auto save = [&] {
        CallFaults::Arm(2, CallFaults::Fault::Fail, EIO, "pwrite"); // all but the backup's write
        try {
            Existing().SaveFile(file);
        } catch (const FileError& e) {
            return e.keptIn() == backup && std::string(e.what()).find(backup) != std::string::npos
                       ? 0
                       : 2;
        }
        return 1;
    };
    EXPECT_EQ(InChild([] { return true; }, save), 0);
    EXPECT_EQ(ReadBytes(backup), kOldFile);
}

// A second save of a file while one is writing it fails, and takes nothing from the first.
TEST_F(G3dFile, SaveFile_WhileAnotherSaveWritesTheFile_FailsLeavingItToTheFirst) {
    for (const bool hardLinked : {false, true}) {
        SCOPED_TRACE(hardLinked ? "rewritten in place" : "replaced");
        const std::string file = Write(kOldFile, "m.G3D");
        if (hardLinked) {
            fs::create_hard_link(file, folder.file("second.G3D"));
        }
        SafeWriter first(file);
        first.WriteLine("first");
        EXPECT_THROW(Existing().SaveFile(file), FileError);
        first.Commit();
        EXPECT_EQ(ReadBytes(file), "first\r\n");
        fs::remove(folder.file("second.G3D"));
        EXPECT_EQ(folder.names(), std::vector<std::string>{"m.G3D"});
    }
}

// ---- a fault at every file-system call of a save ----

// A user and a group that none of the test's files belong to, for the rows that need root.
constexpr uid_t kOtherUser = 65534;
constexpr gid_t kOtherGroup = 65534;

// The saving process becomes kOtherUser, who may write the test's files through kOtherGroup; it
// keeps root as its saved user, so that a process it starts can become root again.
bool BecomeOtherUser() {
    return setgroups(1, &kOtherGroup) == 0 && setresgid(kOtherGroup, kOtherGroup, 0) == 0 &&
           setresuid(kOtherUser, kOtherUser, 0) == 0;
}

bool BecomeRootAgain() {
    return setresuid(0, 0, 0) == 0 && setresgid(0, 0, 0) == 0;
}

bool Holds(const std::string& file, const std::optional<std::string>& bytes) {
    std::error_code missing;
    return bytes ? fs::exists(file, missing) && ReadBytes(file) == *bytes
                 : !fs::exists(fs::symlink_status(file, missing));
}

// The files under root, by their path below it, that are not among known, with their bytes.
std::map<std::string, std::string> Extra(const fs::path& root,
                                         const std::vector<std::string>& known) {
    std::map<std::string, std::string> extra;
    for (const std::string& file : FilesUnder(root)) {
        if (std::find(known.begin(), known.end(), file) == known.end()) {
            extra[file] = ReadBytes((root / file).string());
        }
    }
    return extra;
}

// For each kind of target, a save over an old model fails, is ended, is ended with the power cut
// (see CallFaults::TrackPowerCut), or meets a whole second save at its k-th file-system call, for
// every k it reaches. Beside each target lie a backup somebody made and a link planted where the
// next backup would go. A failed save must leave every name of the target with its old bytes; an
// ended one the target old or new, or the whole old content in a backup, which the next save
// keeps; a save that says it saved its model in place, power cut or not; and of two saves, the one
// that ends last and says it saved wins. Nothing else is left behind but, after a power cut, a
// backup of the old content.
TEST_F(G3dFile, SaveFile_FaultAtEveryCall_NeverLosesTheOldContentOrLeavesAStrayFile) {
    const bool root = geteuid() == 0;
    fs::permissions(folder.path(), fs::perms::all); // the other user saves in it too
    ASSERT_EQ(setenv("XDG_CACHE_HOME", folder.file("cache").c_str(), 1), 0);
    struct Row {
        const char* what;
        const char* file;                 // saved to, reached through link if there is one
        const char* link = nullptr;       // a symbolic link to file
        const char* secondName = nullptr; // a hard link to file
        bool otherUser = false;           // saved by kOtherUser, who may write it through its group
        const char* only = nullptr;       // fail only this call, with EPERM
        bool isNew = false;
        bool likeNfs = false;
        fs::perms folderMode = fs::perms(0755); // of file's folder, where it is not the test's
        bool nfsLocks = false;                  // with likeNfs: its lock service runs
    };
    const Row rows[] = {
        {"plain file", "m.G3D"},
        {"through a link", "m.G3D", "link.G3D"},
        {"second hard link", "m.G3D", nullptr, "second.G3D"},
        {"new file", "m.G3D", nullptr, nullptr, false, nullptr, true},
        {"group not to be kept", "m.G3D", nullptr, nullptr, false, "fchown"},
        {"like NFS without locks", "m.G3D", nullptr, nullptr, false, nullptr, false, true},
        {"like NFS with locks", "m.G3D", nullptr, nullptr, false, nullptr, false, true,
         fs::perms(0755), true},
        {"another user's file", "m.G3D", nullptr, nullptr, true},
        {"folder not writable", "shut/m.G3D", nullptr, nullptr, true},
        {"folder not readable", "dark/m.G3D", nullptr, nullptr, true, nullptr, false, false,
         fs::perms(0733)},
        {"new file, folder not readable", "dark/m.G3D", nullptr, nullptr, true, nullptr, true,
         false, fs::perms(0733)},
    };
    c3dObj model;
    model.ObjName = "new";
    for (int i = 0; i < 3000; ++i) {
        model.AddPoint(static_cast<float>(i) / 7, -static_cast<float>(i), 1e20f);
    }
    c3dObj second;
    second.ObjName = "second";
    const std::string secondBytes = "G3DModel\r\nsecond\r\n";
    const std::string mine = "a backup of my own\r\n";
    enum Outcome { kSaved = 10, kFailed, kWritten, kUnreached, kIgnored, kMisworded };
    constexpr int kSecondSaved = 100; // added to the outcome when the second save saved
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.otherUser && !root) {
            continue; // files of another user can only be made by root
        }
        const std::string target = folder.file(row.file);
        const std::string planted = Backups::Name(target, true);
        std::vector<std::string> names{target};
        const auto prepare = [&] {
            names.assign(1, target);
            for (const auto& entry : fs::directory_iterator(folder.path())) {
                fs::remove_all(entry.path());
            }
            fs::create_directories(folder.file("cache"));
            fs::permissions(folder.file("cache"), fs::perms::all);
            fs::create_directories(fs::path(target).parent_path()); // owned by root
            if (fs::path(target).parent_path() != folder.path()) {
                fs::permissions(fs::path(target).parent_path(), row.folderMode);
            }
            if (!row.isNew) {
                Write(kOldFile + CountingPoints(2000), row.file);
                ASSERT_TRUE(!root || chown(target.c_str(), 0, kOtherGroup) == 0);
                fs::permissions(target, fs::perms(0664));
            }
            for (const char* other : {row.link, row.secondName}) {
                if (other != nullptr) {
                    names.push_back(folder.file(other));
                    other == row.link ? fs::create_symlink(row.file, names.back())
                                      : fs::create_hard_link(target, names.back());
                }
            }
            WriteBytes(planted, mine);
            ASSERT_TRUE(!root || chown(planted.c_str(), kOtherUser, kOtherGroup) == 0);
            fs::create_symlink(target, Backups::Name(target, true, 1));
        };
        const auto save = [&](long k, CallFaults::Fault fault, bool cut) {
            const auto restrict = [&] { return !row.otherUser || BecomeOtherUser(); };
            return InChild(restrict, [&] {
                if (row.likeNfs) {
                    CallFaults::LikeNfs(row.nfsLocks);
                }
                if (cut) {
                    CallFaults::TrackPowerCut();
                }
                bool secondSaved = false;
                const auto secondSave = [&] {
                    const auto other = [&] {
                        return !root || (geteuid() == 0 ? BecomeOtherUser() : BecomeRootAgain());
                    };
                    secondSaved = InChild(other, [&] {
                                      second.SaveFile(target);
                                      return 0;
                                  }) == 0;
                };
                CallFaults::Arm(k, fault, row.only != nullptr ? EPERM : EIO, row.only, secondSave);
                int outcome = kSaved;
                try {
                    model.SaveFile(row.link != nullptr ? folder.file(row.link) : target);
                } catch (const FileError& e) {
                    // The message names the failure as it was.
                    const bool worded = std::strstr(e.what(), std::strerror(EIO)) != nullptr;
                    outcome = fault == CallFaults::Fault::Fail && !worded ? kMisworded
                              : e.reason() == Reason::Written             ? kWritten
                                                                          : kFailed;
                }
                if (outcome == kSaved && CallFaults::Disarm() < k) {
                    outcome = kUnreached;
                } else if (outcome == kSaved && fault == CallFaults::Fault::Fail &&
                           row.only == nullptr && std::strcmp(CallFaults::Failed(), "close") != 0) {
                    outcome = kIgnored; // only a failed close, after the flush, cannot cost data
                }
                CallFaults::CutPower();
                return outcome + (secondSaved ? kSecondSaved : 0);
            });
        };
        const auto everyName = [&](const std::optional<std::string>& bytes) {
            return std::all_of(names.begin(), names.end(),
                               [&](const std::string& name) { return Holds(name, bytes); });
        };
        const auto owner = [&] {
            struct stat status {};
            return stat(target.c_str(), &status) == 0
                       ? std::vector<unsigned>{status.st_uid, status.st_gid, status.st_mode}
                       : std::vector<unsigned>{};
        };
        prepare();
        const std::optional<std::string> old =
            fs::exists(target) ? std::optional(ReadBytes(target)) : std::nullopt;
        const auto made = owner();
        const std::vector<std::string> before = FilesUnder(folder.path());
        ASSERT_EQ(save(0, CallFaults::Fault::Kill, false), kSaved);
        const std::string fresh = ReadBytes(target);
        const std::vector<std::string> after = FilesUnder(folder.path());
        using CallFaults::Fault;
        for (const auto& [fault, cut] : {std::pair{Fault::Fail, false},
                                         {Fault::Fail, true},
                                         {Fault::Kill, false},
                                         {Fault::Kill, true},
                                         {Fault::Run, false}}) {
            int outcome = 0;
            for (long k = 1; outcome % kSecondSaved != kUnreached; ++k) {
                SCOPED_TRACE("call " + std::to_string(k) + (cut ? ", power cut" : ""));
                prepare();
                outcome = save(k, fault, cut);
                const std::map<std::string, std::string> extra = Extra(folder.path(), after);
                if (outcome == kUnreached && !cut) {
                    continue;
                }
                if (fault == Fault::Run) {
                    const bool secondSaved = outcome >= kSecondSaved;
                    const bool firstSaved = outcome % kSecondSaved != kFailed;
                    // Without a lock, a second save after the first's rename replaces it.
                    EXPECT_TRUE(
                        everyName(firstSaved    ? fresh
                                  : secondSaved ? secondBytes
                                                : old) ||
                        (row.likeNfs && !row.nfsLocks && secondSaved && everyName(secondBytes)));
                    EXPECT_EQ(FilesUnder(folder.path()),
                              firstSaved || secondSaved ? after : before);
                } else if (outcome == CallFaults::kKilled) {
                    EXPECT_TRUE(everyName(old) || everyName(fresh) ||
                                std::any_of(extra.begin(), extra.end(),
                                            [&](const auto& file) { return file.second == old; }));
                    EXPECT_EQ(save(0, Fault::Kill, false), kSaved);
                    EXPECT_TRUE(everyName(fresh));
                    EXPECT_TRUE(Extra(folder.path(), after) == extra); // nothing it left is lost
                    for (const auto& [file, bytes] : extra) { // a hidden one is the new file
                        EXPECT_TRUE(fs::path(file).filename().string()[0] != '.' || row.likeNfs ||
                                    bytes == fresh)
                            << file;
                    }
                } else {
                    ASSERT_TRUE(outcome == kFailed || outcome == kSaved || outcome == kWritten ||
                                outcome == kUnreached)
                        << outcome;
                    // A save that says its folder was not flushed may lose its rename.
                    EXPECT_TRUE(everyName(outcome == kFailed ? old : std::optional(fresh)) ||
                                (cut && outcome == kWritten && everyName(old)));
                    for (const auto& [file, bytes] : extra) {
                        EXPECT_TRUE((cut || outcome == kWritten) && bytes == old) << file;
                    }
                }
                EXPECT_TRUE(Holds(planted, mine));
                if (old) {
                    EXPECT_EQ(owner(), made);
                }
            }
        }
    }
    unsetenv("XDG_CACHE_HOME");
}
