// Installing and removing the driver service, against a scripted service
// control manager that keeps every handle it hands out.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "buslib/ServiceControl.h"
#include "buslib/TK.h"

namespace tk {
namespace {

class FakeServiceControl final : public ServiceControl {
public:
    enum class State { Absent, Stopped, Running };

    struct Opened {
        std::string what;  // "manager" or a service name
        std::uint32_t access;
    };

    State state = State::Absent;
    std::string binaryPath;
    std::set<std::string> existingFiles;
    std::set<std::string> failing;  // operations that fail: "manager", "open", "create"...
    ServiceDefinition created{};
    std::vector<std::string> calls;

    ~FakeServiceControl() override { SetServiceControl(nullptr); }
    FakeServiceControl() { SetServiceControl(this); }

    ServiceHandle OpenManager(std::uint32_t access) override {
        calls.push_back("manager");
        return failing.count("manager") ? 0 : Open({"manager", access});
    }
    ServiceHandle OpenServiceByName(ServiceHandle manager, const char* name,
                                    std::uint32_t access) override {
        calls.push_back("open");
        EXPECT_TRUE(open_.count(manager));
        if (failing.count("open") || state == State::Absent || std::string(name) != "tkdrv") {
            return 0;
        }
        return Open({name, access});
    }
    ServiceHandle CreateServiceEntry(ServiceHandle manager, const ServiceDefinition& d) override {
        calls.push_back("create");
        EXPECT_EQ(kScManagerAllAccess, open_.at(manager).access);
        if (failing.count("create") || state != State::Absent) {
            return 0;
        }
        created = d;
        createdName_ = d.name;
        binaryPath = d.binaryPath;
        created.name = createdName_.c_str();
        created.binaryPath = binaryPath.c_str();
        state = State::Stopped;
        return Open({d.name, d.access});
    }
    bool StartServiceNow(ServiceHandle service, std::uint32_t* error) override {
        calls.push_back("start");
        EXPECT_EQ(kGenericExecute, open_.at(service).access);
        if (state == State::Running) {
            *error = kErrorServiceAlreadyRunning;
            return false;
        }
        if (failing.count("start") || existingFiles.count(binaryPath) == 0) {
            *error = 1114;
            return false;
        }
        state = State::Running;
        return true;
    }
    bool StopServiceNow(ServiceHandle service) override {
        calls.push_back("stop");
        EXPECT_EQ(kGenericExecute, open_.at(service).access);
        if (state != State::Running || failing.count("stop")) {
            return false;
        }
        state = State::Stopped;
        return true;
    }
    bool DeleteServiceEntry(ServiceHandle service) override {
        calls.push_back("delete");
        EXPECT_EQ(kServiceAllAccess, open_.at(service).access);
        if (failing.count("delete")) {
            return false;
        }
        state = State::Absent;
        return true;
    }
    void CloseServiceControlHandle(ServiceHandle handle) override {
        EXPECT_EQ(1u, open_.erase(handle)) << "closing a handle that is not open";
    }

    std::size_t OpenHandles() const { return open_.size(); }

private:
    ServiceHandle Open(Opened opened) {
        open_[next_] = opened;
        return next_++;
    }
    std::map<ServiceHandle, Opened> open_;
    ServiceHandle next_ = 1;
    std::string createdName_;
};

using State = FakeServiceControl::State;

TEST(DriverServiceTest, InstallCreatesAndStartsTheService) {
    FakeServiceControl scm;
    scm.existingFiles.insert("C:\\Cam\\tkdrv.sys");
    EXPECT_EQ(TK_OK, TKInstallDriver("C:\\Cam"));
    EXPECT_EQ(State::Running, scm.state);
    EXPECT_EQ("C:\\Cam\\tkdrv.sys", scm.binaryPath);
    EXPECT_STREQ("tkdrv", scm.created.name);
    EXPECT_STREQ("tkdrv", scm.created.displayName);
    EXPECT_EQ(kGenericExecute, scm.created.access);
    EXPECT_EQ(1u, scm.created.serviceType);
    EXPECT_EQ(2u, scm.created.startType);
    EXPECT_EQ(1u, scm.created.errorControl);
    EXPECT_EQ(0u, scm.OpenHandles());
}

TEST(DriverServiceTest, InstallOutcomes) {
    const struct {
        const char* what;
        State before;
        bool imagePresent;
        std::set<std::string> failing;
        std::uint32_t result;
        State after;
    } cases[] = {
        {"already running", State::Running, true, {}, TKE_SERVICE_ALREADY_STARTED, State::Running},
        {"installed and startable",
         State::Stopped,
         true,
         {},
         TKE_SERVICE_ALREADY_STARTED,
         State::Running},
        {"image missing", State::Absent, false, {}, TKE_SERVICE_NOT_STARTED, State::Absent},
        {"creation refused", State::Absent, true, {"create"}, TKE_INSTALL_FAILED, State::Absent},
        {"no service manager", State::Absent, true, {"manager"}, TKE_INSTALL_FAILED, State::Absent},
        {"installed, cannot start", State::Stopped, false, {}, TKE_INSTALL_FAILED, State::Stopped},
        {"start refused, delete refused",
         State::Absent,
         true,
         {"start", "delete"},
         TKE_SERVICE_NOT_STARTED,
         State::Stopped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeServiceControl scm;
        scm.state = c.before;
        scm.failing = c.failing;
        if (c.before != State::Absent) {
            scm.binaryPath = "C:\\Cam\\tkdrv.sys";
        }
        if (c.imagePresent) {
            scm.existingFiles.insert("C:\\Cam\\tkdrv.sys");
        }
        EXPECT_EQ(c.result, TKInstallDriver("C:\\Cam"));
        EXPECT_EQ(c.after, scm.state);
        EXPECT_EQ(0u, scm.OpenHandles()) << "every handle is closed";
    }
}

TEST(DriverServiceTest, InstallRefusesAPathTooLong) {
    FakeServiceControl scm;
    const std::string directory(390, 'd');  // + "\tkdrv.sys" exceeds 400 characters
    EXPECT_EQ(TKE_INSTALL_FAILED, TKInstallDriver(directory.c_str()));
    EXPECT_EQ(TKE_INSTALL_FAILED, TKInstallDriver(nullptr));
    EXPECT_EQ(State::Absent, scm.state);
    const std::string fits(389, 'd');
    scm.existingFiles.insert(fits + "\\tkdrv.sys");
    EXPECT_EQ(TK_OK, TKInstallDriver(fits.c_str()));
}

TEST(DriverServiceTest, DeinstallOutcomes) {
    const struct {
        const char* what;
        State before;
        std::set<std::string> failing;
        std::uint32_t result;
        State after;
    } cases[] = {
        {"running", State::Running, {}, TK_OK, State::Absent},
        {"stopped", State::Stopped, {}, TKE_NO_DETAILS, State::Stopped},
        {"absent", State::Absent, {}, TKE_NO_DETAILS, State::Absent},
        {"delete refused", State::Running, {"delete"}, TKE_NO_DETAILS, State::Stopped},
        {"no service manager", State::Running, {"manager"}, TKE_NO_DETAILS, State::Running},
        {"service cannot be opened", State::Running, {"open"}, TKE_NO_DETAILS, State::Running},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeServiceControl scm;
        scm.state = c.before;
        scm.failing = c.failing;
        EXPECT_EQ(c.result, TKDeinstallDriver());
        EXPECT_EQ(c.after, scm.state);
        EXPECT_EQ(0u, scm.OpenHandles()) << "every handle is closed";
    }
}

}  // namespace
}  // namespace tk
