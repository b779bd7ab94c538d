#include <gtest/gtest.h>

#include "app/ids.h"
#include "app/program.h"
#include "fakes.h"

namespace vintrel {
namespace {

class ProgramTest : public test::FakeProgramTest {
protected:
    ProgramTest() : FakeProgramTest("C:\\Work") {}
    void SetUp() override {
        disk.AddDrive("C:\\");
        disk.AddDirectory("C:\\Work");
        ops.searchDataFiles = [this] { log.push_back("search"); };
        ops.chooseTargetPath = [this] { log.push_back("choose"); };
        ops.runBackup = [this] { log.push_back("backup"); };
        ops.loadProfile = [this] { log.push_back("load:" + std::to_string(screen.calls.size())); };
        ops.saveProfile = [this] { log.push_back("save:" + screen.calls.back()); };
        ops.tellLastRun = [this] { log.push_back("tell:" + std::to_string(screen.calls.size())); };
    }
    static Event Gadget(int n) { return {EventKind::Gadget, n}; }
    static Event Command(int n) { return {EventKind::Command, n}; }
    static Event Close(int n = kMainWindowNumber) { return {EventKind::CloseRequest, n}; }

    Operations ops;
    std::vector<std::string> log;
};

TEST_F(ProgramTest, ButtonsDispatchToTheirActionsAndOthersDoNothing) {
    for (Event e : {Gadget(kSearchButton), Gadget(kBrowseButton), Gadget(kBackupButton),
                    Gadget(kFileList), Gadget(kTargetPathField), Gadget(kSearchCaption),
                    Command(kNextGadgetCommand), Command(99), Close(2), Event{}}) {
        HandleEvent(state, e, ops);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"search", "choose", "backup"}));
    EXPECT_EQ(state.quitFlag, 0);
}

TEST_F(ProgramTest, CloseRequestAndAltXBothEndTheLoop) {
    for (Event quit : {Close(), Command(kQuitCommand)}) {
        SCOPED_TRACE(static_cast<int>(quit.kind));
        state.quitFlag = 0;
        screen.events = {Gadget(kSearchButton), quit, Gadget(kBackupButton)};
        RunEventLoop(state, screen, ops);
        EXPECT_EQ(state.quitFlag, 1);
        // The loop stops at the quit: the press queued behind it is never taken.
        EXPECT_EQ(screen.events.size(), 1u);
        log.clear();
    }
}

TEST_F(ProgramTest, LoopAlwaysWaitsForAtLeastOneEvent) {
    state.quitFlag = 1;
    screen.events = {Gadget(kSearchButton), Close()};
    RunEventLoop(state, screen, ops);
    EXPECT_EQ(log, std::vector<std::string>{"search"});
}

TEST_F(ProgramTest, ActionsRunInEventOrder) {
    screen.events = {Gadget(kBackupButton), Gadget(kSearchButton), Gadget(kBrowseButton),
                     Gadget(kSearchButton), Command(kQuitCommand)};
    RunEventLoop(state, screen, ops);
    EXPECT_EQ(log, (std::vector<std::string>{"backup", "search", "choose", "search"}));
}

TEST_F(ProgramTest, ExitSequenceClosesTheWindowBeforeSaving) {
    screen.events = {Close()};
    RunProgram(state, screen, ops);
    EXPECT_EQ(log, (std::vector<std::string>{"load:0", "tell:1", "save:close"}));
    EXPECT_EQ(screen.calls, (std::vector<std::string>{"activate", "wait", "close"}));
}

} // namespace
} // namespace vintrel
