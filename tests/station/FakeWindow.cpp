#include "tests/station/FakeWindow.h"

namespace {

const char* IconName(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Warning: return "warning";
    case BoxIcon::Stop: return "stop";
    case BoxIcon::None: return "none";
    }
    return "?";
}

}  // namespace

const char* PictureName(Picture picture)
{
    switch (picture) {
    case Picture::None: return "none";
    case Picture::Going: return "going";
    case Picture::Success: return "success";
    case Picture::Fail: return "fail";
    case Picture::Blank: return "blank";
    case Picture::GreenDisc: return "green";
    case Picture::RedDisc: return "red";
    }
    return "?";
}

void FakeWindow::SetText(int id, const std::string& text)
{
    texts[id] = text;
    events.push_back("text " + std::to_string(id) + " " + text);
}

std::string FakeWindow::Text(int id) const
{
    const auto it = texts.find(id);
    return it == texts.end() ? std::string() : it->second;
}

void FakeWindow::SetVisible(int id, bool visible)
{
    if (visible)
        hidden.erase(id);
    else
        hidden.insert(id);
}

bool FakeWindow::IsVisible(int id) const
{
    return !hidden.count(id);
}

void FakeWindow::SetEnabled(int id, bool enabled)
{
    if (enabled)
        disabled.erase(id);
    else
        disabled.insert(id);
}

bool FakeWindow::IsEnabled(int id) const
{
    return !disabled.count(id);
}

void FakeWindow::SetPicture(int id, Picture picture)
{
    pictures[id] = picture;
    events.push_back("picture " + std::to_string(id) + " " + PictureName(picture));
}

Picture FakeWindow::PictureOf(int id) const
{
    const auto it = pictures.find(id);
    return it == pictures.end() ? Picture::None : it->second;
}

void FakeWindow::MessageBox(const std::string& text, const std::string& caption, BoxIcon icon)
{
    boxes.push_back({text, caption, icon});
    events.push_back("box " + caption + " " + IconName(icon) + ": " + text);
    if (whileBoxOpen)
        whileBoxOpen(boxes.back());
}

void FakeWindow::StartTimer(int id, int periodMs)
{
    timers[id] = periodMs;
}

void FakeWindow::StopTimer(int id)
{
    timers.erase(id);
}

void FakeWindow::ClearPorts()
{
    ports.clear();
    selectedPort = -1;
}

void FakeWindow::AddPort(const std::string& name)
{
    ports.push_back(name);
}

void FakeWindow::SelectPort(int index)
{
    selectedPort = index;
}

std::string FakeWindow::CurrentPort() const
{
    if (selectedPort < 0 || selectedPort >= static_cast<int>(ports.size()))
        return "";
    return ports[static_cast<size_t>(selectedPort)];
}
