// The live cockpit in a terminal: the Left and Right displays side by side, their buttons on
// number keys. The Cockpit class holds everything but the terminal (keys in, text screens out),
// so that it can be tested without one; RunCockpit puts it on an ncurses screen.
#pragma once

#include "sim/host.h"

#include <functional>
#include <string>
#include <vector>

namespace sim {

constexpr int kCockpitMinColumns = 80;
constexpr int kCockpitMinRows = 24;

struct CockpitOptions {
    std::string mode = "Kelvane"; // the mode that o and O open
    DWORD width = 256;            // size of the displays that o and O open
    DWORD height = 256;
    // Writes the scenario to a file; throws std::exception with a message on failure. Without
    // it, s says that saving is not available.
    std::function<void(const std::string& path)> saveScenario;
    // How o, O, c and C switch a display, when the program keeps its own record of the
    // displays; they throw std::exception with a message on failure. Without them the cockpit
    // asks the host directly.
    std::function<void(int display)> openDisplay;
    std::function<void(int display)> closeDisplay;
    int refreshMilliseconds = 1000;
};

enum class CockpitStyle : unsigned char {
    Plain,
    Heading, // the top line
    Frame,   // panel titles and rules
    Title,   // the display's title line
    Text,    // the display's other text
    Label,   // a button label, drawn as a key cap
    Menu,    // the display's button menu
    Status,  // the message line
    Help,    // the key line at the bottom
    Warning, // the "too small" notice
};

// A text screen: one wide character and one style per cell.
struct CockpitScreen {
    int columns = 0;
    int rows = 0;
    std::vector<std::wstring> text;
    std::vector<std::vector<CockpitStyle>> styles;
    int cursorRow = -1; // where the terminal's cursor shows, -1 for hidden
    int cursorColumn = -1;

    CockpitScreen(int columns, int rows);
    // Writes from (row, column) on, cut at the right edge; off-screen rows are ignored.
    void Put(int row, int column, const std::wstring& s, CockpitStyle style);
    void Fill(int row, int column, int count, wchar_t c, CockpitStyle style);
    std::string RowUtf8(int row) const;
    // Every row joined with newlines, for searching in tests.
    std::string AllUtf8() const;
};

class Cockpit {
public:
    enum class Action { None, Quit };

    Cockpit(Host& host, CockpitOptions options);

    // One key as ncurses reports it (a character, '\t', KEY_BTAB, KEY_RESIZE, …).
    Action HandleKey(int key);
    CockpitScreen Render(int columns, int rows);

    const std::string& Status() const { return status_; }
    // True while the message line asks (a file name, or a question that y answers).
    bool Prompting() const { return prompt_ != Prompt::None; }
    int RefreshMilliseconds() const { return options_.refreshMilliseconds; }
    // The display that t and T act on: the last one whose button was pressed.
    int ActiveDisplay() const { return active_; }

private:
    enum class Prompt { None, FileName, Overwrite, Quit };

    void PressButton(int display, int button);
    void NextShip(int step);
    void OpenDisplay(int display);
    void CloseDisplay(int display);
    void ChangeTank(double step);
    void HandlePromptKey(int key);
    Action HandleAnswer(int key);
    void Save(const std::string& path);
    // What a save writes that the keys can change, to tell whether q must ask first.
    std::vector<std::string> SavedState();
    // The asking line at `row`, with the cursor at its end.
    void PutPrompt(CockpitScreen& screen, int row) const;
    // The vessel and tank index that t and T change; false when there is none.
    bool SelectedTank(Vessel*& vessel, size_t& tank);
    void RenderPanel(CockpitScreen& screen, int display, int left, int width, int top,
                     int screenRows);
    void RenderTooSmall(CockpitScreen& screen) const;

    Host& host_;
    CockpitOptions options_;
    std::string status_;
    int active_ = MFD_LEFT;
    Prompt prompt_ = Prompt::None;
    std::string promptText_;             // the file name typed, and asked about when it exists
    std::vector<std::string> lastSaved_; // SavedState at the start or the last save
    bool savedOnce_ = false;
};

// Runs the cockpit on the terminal until q. Returns the exit status: 0 after q, 130 after Ctrl-C
// (with a line on stderr), 1 when no terminal can be used (the reason goes to stderr).
int RunCockpit(Host& host, const CockpitOptions& options);

} // namespace sim
