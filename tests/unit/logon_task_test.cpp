#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "actions/logon_task.h"
#include "core/text.h"
#include "platform/fake/fake_world.h"
#include "support/u16.h"

namespace {

constexpr const char16_t* kSid = u"S-1-5-21-1004336348-1177238915-682003330-1001";

TEST(LogonTaskXml, IsTheDefinitionWithThePathEscapedAndThisUserOnly) {
    std::u16string xml = logon_task_xml(u"C:\\Tools\\R&D <new> \"x\" O'Brien\\Kestrune\u00e9.exe", kSid);
    const std::string want =
        "<Task version=\"1.4\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
        " <RegistrationInfo>\r\n"
        "  <Author>Kestrune</Author>\r\n"
        "  <URI>\\Kestrune</URI>\r\n"
        " </RegistrationInfo>\r\n"
        " <Triggers>\r\n"
        "  <LogonTrigger>\r\n"
        "   <UserId>S-1-5-21-1004336348-1177238915-682003330-1001</UserId>\r\n"
        "  </LogonTrigger>\r\n"
        " </Triggers>\r\n"
        " <Principals>\r\n"
        "  <Principal id=\"Author\">\r\n"
        "   <UserId>S-1-5-21-1004336348-1177238915-682003330-1001</UserId>\r\n"
        "   <LogonType>InteractiveToken</LogonType>\r\n"
        "   <RunLevel>LeastPrivilege</RunLevel>\r\n"
        "  </Principal>\r\n"
        " </Principals>\r\n"
        " <Settings>\r\n"
        "  <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
        "  <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
        "  <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
        "  <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\r\n"
        " </Settings>\r\n"
        " <Actions Context=\"Author\">\r\n"
        "  <Exec>\r\n"
        "   <Command>\"C:\\Tools\\R&amp;D &lt;new&gt; &quot;x&quot; O&apos;Brien\\Kestrune\xC3\xA9.exe\"</Command>\r\n"
        "  </Exec>\r\n"
        " </Actions>\r\n"
        "</Task>\r\n";
    EXPECT_EQ(u8(xml), want);
    // Read back, the command is the path as it was.
    EXPECT_EQ(u8(logon_task_command_in(xml)), "C:\\Tools\\R&D <new> \"x\" O'Brien\\Kestrune\xC3\xA9.exe");

    EXPECT_TRUE(logon_task_xml(u"", kSid).empty());
    EXPECT_TRUE(logon_task_xml(u"C:\\k.exe", u"").empty());
    EXPECT_TRUE(logon_task_xml(std::u16string(3500, u'&'), kSid).empty());  // would be cut off
}

TEST(LogonTaskXml, CommandIsFoundBetweenItsTags) {
    struct Case {
        const char16_t* xml;
        const char* command;
    };
    const Case cases[] = {
        {u"<Exec><Command>\"C:\\a b\\k.exe\"</Command></Exec>", "C:\\a b\\k.exe"},
        {u"<Command>C:\\k.exe</Command>", "C:\\k.exe"},
        {u"<Command>\"C:\\k.exe</Command>", "\"C:\\k.exe"},
        {u"<Command>C:\\R&amp;D\\k.exe</Command>", "C:\\R&D\\k.exe"},
        {u"<Command>C:\\k.exe", ""},
        {u"<Command></Command>", ""},
        {u"</Command><Command>", ""},
        {u"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(u8(logon_task_command_in(c.xml)), c.command) << u8(c.xml);
}

// A schtasks.exe played by the fake shell: it keeps the task's XML as /create stores it, answers
// /query from it and deletes it; refuse makes every call fail as without rights.
struct Schtasks {
    FakeWorld* world;
    bool refuse = false;
    std::u16string stored;  // empty: no task
    std::vector<std::string> calls;

    int32_t run(std::u16string_view cmd, std::u16string& output) {
        calls.push_back(u8(cmd));
        if (cmd.find(u"\"C:\\Windows\\System32\\schtasks.exe\" ") != 0) return 9009;
        if (refuse) return 1;
        if (cmd.find(u" /create ") != std::u16string_view::npos) {
            size_t open = cmd.find(u"/xml \"") + 6;
            std::u16string file(cmd.substr(open, cmd.find(u'"', open) - open));
            auto bytes = world->files.contents(file);
            if (!bytes || bytes->size() < 2 || (*bytes)[0] != '\xFF' || (*bytes)[1] != '\xFE') return 2;
            stored.clear();
            for (size_t i = 2; i + 1 < bytes->size(); i += 2)
                stored += static_cast<char16_t>(static_cast<unsigned char>((*bytes)[i]) | (static_cast<unsigned char>((*bytes)[i + 1]) << 8));
            return 0;
        }
        if (cmd.find(u" /delete ") != std::u16string_view::npos) {
            if (stored.empty()) return 1;
            stored.clear();
            return 0;
        }
        if (stored.empty()) return 1;
        if (cmd.find(u" /xml") != std::u16string_view::npos) output = stored;
        return 0;
    }
};

class LogonTask : public ::testing::Test {
protected:
    void SetUp() override {
        w.files.add_folder(u"C:\\Windows\\System32");
        w.files.set_known_folder(KnownFolder::System, u"C:\\Windows\\System32");
        w.files.add_folder(u"C:\\Tools\\R&D");
        w.files.set_module_path(u"C:\\Tools\\R&D\\Kestrune.exe");
        w.shell.program = [this](std::u16string_view cmd, std::u16string& out) { return tasks.run(cmd, out); };
        logon_task_prompts_set(LogonTaskPrompts{[](const char16_t* q) {
                                                    said.push_back("ask: " + u8(q));
                                                    return answer;
                                                },
                                                [](const char16_t* t) { said.push_back("tell: " + u8(t)); }});
        said.clear();
        answer = true;
    }
    void TearDown() override { logon_task_prompts_set(LogonTaskPrompts{}); }

    std::vector<std::string> temp_files() {
        std::vector<FileEntry> entries;
        w.files.list(w.files.temp_folder(), entries);
        std::vector<std::string> out;
        for (const FileEntry& e : entries) out.push_back(u8(e.name));
        return out;
    }

    FakeWorld w;
    PlatformScope scope{w.platform()};
    Schtasks tasks{&w};
    static inline std::vector<std::string> said;
    static inline bool answer = true;
};

TEST_F(LogonTask, InstallWritesTheDefinitionThroughTheFullSchtasksPathAndRemovesTheFile) {
    EXPECT_EQ(logon_task_run_switch(true), 0);
    ASSERT_FALSE(tasks.calls.empty());
    const std::string& create = tasks.calls.back();
    const std::string prefix = "\"C:\\Windows\\System32\\schtasks.exe\" /create /tn \"Kestrune\" /xml \"" + u8(w.files.temp_folder());
    EXPECT_EQ(create.find(prefix + "KestruneTask-"), 0u) << create;
    EXPECT_NE(create.find(".xml\" /f"), std::string::npos) << create;
    EXPECT_EQ(u8(logon_task_command_in(tasks.stored)), "C:\\Tools\\R&D\\Kestrune.exe");
    EXPECT_NE(tasks.stored.find(u"<UserId>S-1-5-21-"), std::u16string::npos);
    EXPECT_TRUE(temp_files().empty());  // the definition never outlives the attempt
    // The escaped path reads back as this executable: current, not rewritten at every start.
    EXPECT_TRUE(logon_task_is_current());
    LogonTaskStatus s = logon_task_status();
    EXPECT_TRUE(s.exists);
    EXPECT_FALSE(s.outdated);

    EXPECT_EQ(logon_task_run_switch(false), 0);
    EXPECT_FALSE(logon_task_exists());
    EXPECT_EQ(logon_task_run_switch(false), 1);  // nothing to delete: schtasks fails, so do we

    tasks.refuse = true;
    EXPECT_EQ(logon_task_run_switch(true), 1);
    EXPECT_TRUE(temp_files().empty());
}

TEST_F(LogonTask, AnOutdatedTaskIsRewrittenAtStartAndACurrentOneIsLeftAlone) {
    tasks.stored = logon_task_xml(u"C:\\Old\\Kestrune.exe", kSid);
    EXPECT_FALSE(logon_task_is_current());
    logon_task_refresh();
    EXPECT_EQ(u8(logon_task_command_in(tasks.stored)), "C:\\Tools\\R&D\\Kestrune.exe");
    EXPECT_TRUE(said.empty());  // silently

    tasks.calls.clear();
    tasks.stored = logon_task_xml(u"c:\\tools\\r&d\\KESTRUNE.EXE", kSid);  // another letter case: current
    logon_task_refresh();
    for (const std::string& call : tasks.calls) EXPECT_EQ(call.find(" /create "), std::string::npos) << call;

    tasks.stored.clear();  // no task: nothing is created at start
    tasks.calls.clear();
    logon_task_refresh();
    EXPECT_TRUE(tasks.stored.empty());
}

TEST_F(LogonTask, ToggleAsksThenFallsBackToRunningItselfElevated) {
    // No task: the create question, then the plain create works.
    logon_task_toggle();
    EXPECT_EQ(said, (std::vector<std::string>{
                        "ask: Start Kestrune automatically at log on? (creates a Windows Task Scheduler task)",
                        "tell: Kestrune will start automatically at log on."}));
    EXPECT_FALSE(tasks.stored.empty());

    // "No" to the remove question changes nothing.
    said.clear();
    answer = false;
    logon_task_toggle();
    EXPECT_EQ(said, (std::vector<std::string>{
                        "ask: Stop starting Kestrune at log on? (removes the Windows Task Scheduler task)"}));
    EXPECT_FALSE(tasks.stored.empty());

    // Without rights to change tasks (queries still work), the launcher runs itself elevated with
    // the switch, and the elevated copy does the work.
    answer = true;
    said.clear();
    bool may_change = false;
    w.shell.program = [&](std::u16string_view cmd, std::u16string& out) {
        bool change = cmd.find(u" /create ") != std::u16string_view::npos || cmd.find(u" /delete ") != std::u16string_view::npos;
        return change && !may_change ? 1 : tasks.run(cmd, out);
    };
    std::vector<std::string> elevated;
    w.shell.elevated = [&](std::u16string_view file, std::u16string_view params) {
        elevated.push_back(u8(file) + " " + u8(params));
        may_change = true;
        int code = logon_task_run_switch(params == u"--install-task");
        may_change = false;
        return code;
    };
    logon_task_toggle();  // the task exists: remove it, elevated
    EXPECT_EQ(elevated, std::vector<std::string>{"C:\\Tools\\R&D\\Kestrune.exe --remove-task"});
    EXPECT_EQ(said.back(), "tell: The log on task was removed.");
    EXPECT_TRUE(tasks.stored.empty());

    // A refused prompt is the failure notice.
    w.shell.elevated = [](std::u16string_view, std::u16string_view) { return 1; };
    said.clear();
    logon_task_toggle();
    EXPECT_EQ(said.back(), "tell: Failed (access denied or cancelled). Run Kestrune as administrator once, then try again.");
    EXPECT_TRUE(tasks.stored.empty());

    // An outdated task is rewritten without a question.
    tasks.stored = logon_task_xml(u"C:\\Old\\Kestrune.exe", kSid);
    may_change = true;
    said.clear();
    logon_task_toggle();
    EXPECT_EQ(said, std::vector<std::string>{"tell: The log on task now starts this version."});
    EXPECT_TRUE(logon_task_is_current());
}

}  // namespace
