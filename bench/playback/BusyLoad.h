#pragma once

// The background load figures are also taken under: busy-loop processes,
// started by the benchmark itself, running for as long as the object lives.
#include <QProcess>

#include <memory>
#include <vector>

class BusyLoad
{
public:
    explicit BusyLoad(int processes = 2)
    {
        for (int k = 0; k < processes; ++k) {
            auto loop = std::make_unique<QProcess>();
            loop->start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
            loop->waitForStarted();
            m_loops.push_back(std::move(loop));
        }
    }
    ~BusyLoad()
    {
        for (const auto &loop : m_loops) {
            loop->kill();
            loop->waitForFinished();
        }
    }
    BusyLoad(const BusyLoad &) = delete;
    BusyLoad &operator=(const BusyLoad &) = delete;

private:
    std::vector<std::unique_ptr<QProcess>> m_loops;
};
