#include "app/BusSelection.h"

#include <memory>

#include "buslib/DriverPlatform.h"
#include "sim/Scenario.h"
#include "sim/SimulateSwitch.h"
#include "sim/SimulatedBus.h"

namespace app {

namespace {

std::unique_ptr<sim::SimulatedBus>& SimulatedBusInstance() {
    static std::unique_ptr<sim::SimulatedBus> bus;
    return bus;
}

}  // namespace

std::string SelectBus(const char* commandLine) {
    const sim::SimulateSwitch simulate =
        sim::FindSimulateSwitch(commandLine != nullptr ? commandLine : "");
    if (!simulate.present) {
        return "";
    }
    std::string problem;
    sim::ScenarioError error;
    std::unique_ptr<sim::SimulatedBus> bus =
        sim::SimulatedBus::ForProgram(simulate.scenarioPath, &error);
    if (bus == nullptr) {
        sim::SimulatedBusOptions options;
        options.realTime = true;
        bus = std::make_unique<sim::SimulatedBus>(sim::Scenario{}, options);
        problem = "The scenario of the simulated bus could not be used:\r\r\n" + error.Text() +
                  "\r\r\n\r\r\nThe simulated bus has no cards.";
    }
    SimulatedBusInstance() = std::move(bus);
    tk::SetDriverPlatform(SimulatedBusInstance().get());
    return problem;
}

void ReleaseBus() {
    tk::SetDriverPlatform(nullptr);
    SimulatedBusInstance().reset();
}

}  // namespace app
