// Any scenario text: the reader either names the file and line of a fault or the session starts
// from it (ships, the module's block, the displays with their status); every display draws, and
// what the session then saves reads back and starts a session again.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_support.h"

#include "sim/scenario_file.h"
#include "sim/session.h"

namespace fuzz {
namespace {

bool NamesFile(const std::exception& e, const char* path) {
    return std::string(e.what()).rfind(path, 0) == 0;
}

void DrawOpenDisplays(sim::Host& host) {
    for (int id = 0; id < MAXMFD; ++id)
        if (host.IsOpen(id))
            DrawEveryPage(host, id);
}

} // namespace

void CheckScenarioFile(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        sim::ParseScenario(text, "Fuzz.scn", "Kelvane");
    } catch (const sim::FileError& e) {
        Check(NamesFile(e, "Fuzz.scn"), "a fault that names no file", e.what());
        return;
    } catch (const std::exception& e) {
        Fail("a scenario fault reported as something else than a file error", e.what());
    }

    LinkedHost world;
    sim::Session session(world.host, sim::SessionOptions{});
    // Faults the reader leaves to the session (a tank a class does not have, an unknown focus)
    // are file errors too.
    try {
        session.LoadText(text, "");
    } catch (const sim::FileError&) {
        return;
    } catch (const std::exception& e) {
        Fail("a scenario the reader took failed to start otherwise than by a file error", e.what());
    }
    DrawOpenDisplays(world.host);

    // Saved, it reads back and starts again, twice over.
    std::string saved = session.SaveText();
    for (int round = 0; round < 2; ++round) {
        try {
            sim::ParseScenario(saved, "Saved.scn", "Kelvane");
            session.LoadText(saved, "");
        } catch (const std::exception& e) {
            Fail("a saved scenario does not load", std::string(e.what()) + "\n" + saved);
        }
        DrawOpenDisplays(world.host);
        saved = session.SaveText();
    }
}

} // namespace fuzz
