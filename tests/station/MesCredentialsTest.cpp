// A station whose [MES] holds a password it must not use: the unit is
// stored, the reason is shown, and the password appears in no trace,
// standard error, box, window text, status note or file the station wrote.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "link/Trace.h"
#include "tests/station/StationFixture.h"
#include "tests/support/SqliteFiles.h"

namespace {

constexpr const char* kPassword = "S3cr3tPw";
constexpr const char* kCredentialsName = "mes-credentials";

// Standard error sent to a file while the object lives.
class StderrCapture {
public:
    explicit StderrCapture(const std::filesystem::path& file) : file_(file)
    {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, STDERR_FILENO);
        close(fd);
    }
    ~StderrCapture() { Restore(); }
    std::string Text()
    {
        Restore();
        return ReadFileText(file_);
    }

private:
    void Restore()
    {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }
    std::filesystem::path file_;
    int saved_ = -1;
};

class MesCredentials : public StationFixture {
protected:
    // Every file the station wrote under its folder, whole.
    std::string FilesWritten() const
    {
        std::string text;
        for (const auto& file : std::filesystem::recursive_directory_iterator(dir.Path())) {
            const auto name = file.path().filename();
            if (file.is_regular_file() && name != "workstation.ini" && name != kCredentialsName)
                text += ReadFileText(file.path());
        }
        return text;
    }

    // Rows of PASS.mdb and FAIL.mdb together.
    int StoredRows() const
    {
        int rows = 0;
        for (const char* name : {"PASS.mdb", "FAIL.mdb"}) {
            if (std::filesystem::exists(dir.Path() / name))
                rows += std::stoi(*Query(dir.Path() / name, "SELECT count(*) FROM SNTable")[0][0]);
        }
        return rows;
    }
};

TEST_F(MesCredentials, ThePasswordAppearsInNoOutputTitleOrBox)
{
    const auto credentials = dir.Path() / kCredentialsName;
    const struct {
        std::string mes;  // the [MES] keys but ADDRESS and HANDLE
        mode_t credentialsMode;
        const char* reason;
    } cases[] = {
        {std::string("URL=amqq://station:") + kPassword + "@broker:5672\n", 0, "must start with amqp:// or amqps://"},
        {std::string("URL=amqp://station:") + kPassword + "@broker\n", 0, "holds a password"},
        {"URL=amqp://broker\nCREDENTIALS=" + credentials.string() + "\n", 0600, "PLAINTEXT_PASSWORD=1"},
        {"URL=amqp://broker\nCREDENTIALS=" + credentials.string() + "\nPLAINTEXT_PASSWORD=YES\n", 0600,
         "PLAINTEXT_PASSWORD=1"},
        {"URL=amqps://broker\nCREDENTIALS=" + credentials.string() + "\n", 0640, "make it mode 0600"},
    };
    // Outside the station's folder, which stays the working directory.
    std::string errorDir = (std::filesystem::temp_directory_path() / "mes-credentials-XXXXXX").string();
    ASSERT_NE(mkdtemp(errorDir.data()), nullptr);
    int n = 0;
    for (const auto& c : cases) {
        std::ofstream(credentials) << "station:" << kPassword << "\n";
        chmod(credentials.c_str(), c.credentialsMode ? c.credentialsMode : 0600);
        station.reset();
        window = FakeWindow {};
        WriteProfile("[Station]\nUSEMDB=YES\n[MES]\n" + c.mes + "ADDRESS=/exchange/cfx/station\nHANDLE=ST-03\n");
        TraceRecorder traces;
        TraceSink* previous = InstallTraceSink(&traces);
        StderrCapture stderrText(std::filesystem::path(errorDir) / "stderr");
        StationOptions options;
        options.fixedPort = kUnitPort;
        options.dataDir = dir.Path();
        Start(std::move(options));
        station->unit.sn = "SN" + std::to_string(++n);
        station->OnCommand(ctl::kTestFinish);
        station->OnTimer(ctl::kMesStatusTimer);
        InstallTraceSink(previous);

        std::string shown = window.statusNote + "\n" + traces.texts + "\n" + stderrText.Text() + "\n";
        for (const auto& box : window.boxes)
            shown += box.caption + "\n" + box.text + "\n";
        for (const auto& [id, text] : window.texts)
            shown += text + "\n";
        EXPECT_EQ(StoredRows(), n) << "the unit is stored all the same";
        EXPECT_NE(window.statusNote.find(c.reason), std::string::npos) << window.statusNote;
        ASSERT_FALSE(window.boxes.empty()) << c.mes;
        EXPECT_NE(window.boxes.back().text.find(c.reason), std::string::npos) << window.boxes.back().text;
        EXPECT_EQ(shown.find(kPassword), std::string::npos) << c.mes << shown;
        EXPECT_EQ(FilesWritten().find(kPassword), std::string::npos) << c.mes;
    }
    std::filesystem::remove_all(errorDir);
}

}  // namespace
