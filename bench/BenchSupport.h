#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "station/CRuriZudaDlg.h"

// A window that keeps texts and forgets everything else.
class QuietWindow final : public StationWindow {
public:
    void SetText(int id, const std::string& text) override { texts[id] = text; }
    std::string Text(int id) const override;
    void SetVisible(int, bool) override {}
    bool IsVisible(int) const override { return true; }
    void SetEnabled(int, bool) override {}
    bool IsEnabled(int) const override { return true; }
    void SetPicture(int, Picture) override {}
    void RepaintNow() override {}
    void SetFocus(int) override {}
    void MessageBox(const std::string& text, const std::string&, BoxIcon) override { lastBox = text; }
    void StartTimer(int, int) override {}
    void StopTimer(int) override {}
    void ClearPorts() override {}
    void AddPort(const std::string&) override {}
    void SelectPort(int) override {}
    std::string CurrentPort() const override { return ""; }
    int PortCount() const override { return 0; }

    std::map<int, std::string> texts;
    std::string lastBox;
};

// A fresh folder under `base` (the system's temporary folder by default),
// made the current directory (the station log and workstation.ini go
// there); removed at exit.
class BenchFolder {
public:
    explicit BenchFolder(const std::filesystem::path& base = std::filesystem::temp_directory_path());
    ~BenchFolder();
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A station started in the current directory with `profile` as its
// workstation.ini and its databases in `dataDir`.
std::unique_ptr<CRuriZudaDlg> StartStation(QuietWindow& window, const std::string& profile,
                                           const std::filesystem::path& dataDir);

// Runs `sql` with `rows` parameter sets in one transaction; `row(i)` gives
// the texts bound to row i.
void FillTable(const std::filesystem::path& file, const char* create, const std::string& insert, long rows,
               const std::function<std::vector<std::string>(long)>& row);

// Milliseconds that `work` takes.
double TimeMs(const std::function<void()>& work);

struct Figures {
    double median;
    double mean;
    double worst;
};
Figures Summarise(std::vector<double> samplesMs);
