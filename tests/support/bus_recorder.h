#pragma once
// Stands in for the windows a sender posts to: registers under the names
// given and records every message it receives, in order.

#include "core/Signals.h"

#include <QObject>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

class BusRecorder final : public SignalReceiver<QObject> {
public:
    struct Message {
        std::uint32_t number = 0;
        std::int64_t param = 0;
        std::shared_ptr<Tpoint_data> point;
        std::shared_ptr<THWdata> hw;
    };

    void listenAs(const std::string& name) { ADD_HANDLE(name, this); }

    std::vector<Message> received;
    // The parameters of the messages with this number, in order.
    std::vector<std::int64_t> params(std::uint32_t number) const
    {
        std::vector<std::int64_t> out;
        for (const Message& m : received)
            if (m.number == number)
                out.push_back(m.param);
        return out;
    }
    std::size_t count(std::uint32_t number) const { return params(number).size(); }

protected:
    void onSignal(const SignalEvent& e) override
    {
        received.push_back({e.message(), e.param(), e.point(), e.hw()});
    }
};

}  // namespace testing_support
