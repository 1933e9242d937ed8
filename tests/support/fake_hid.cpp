#include "tests/support/fake_hid.h"

#include <algorithm>
#include <chrono>
#include <csignal>

namespace testing_support {

namespace {

// Node instances are unique across interfaces, as inode numbers are.
std::atomic<std::uint64_t> g_nextInstance{1};
thread_local volatile std::sig_atomic_t t_signalHandled = 0;

}  // namespace

// ---- FakeHidInterface --------------------------------------------------------

FakeHidInterface::FakeHidInterface(std::string p, std::uint16_t vid, std::uint16_t pid)
    : path(std::move(p)), vendorId(vid), productId(pid), instance_(g_nextInstance.fetch_add(1))
{
}

void FakeHidInterface::signalHandledOnThisThread() { t_signalHandled = 1; }

void FakeHidInterface::pushInput(Report report)
{
    {
        std::lock_guard lock(m_);
        if (queues_.empty() || !plugged_.load())
            return;
        for (const auto& q : queues_) {
            if (q->inputs.size() >= inputCapacity) {
                ++q->dropped;
                continue;
            }
            q->inputs.push_back(report);
        }
    }
    cv_.notify_all();
}

void FakeHidInterface::unplug()
{
    {
        std::lock_guard lock(m_);
        plugged_.store(false);
        for (const auto& q : queues_)
            q->gone = true;
    }
    cv_.notify_all();
}

void FakeHidInterface::replug()
{
    std::lock_guard lock(m_);
    for (const auto& q : queues_)
        q->gone = true;
    instance_.store(g_nextInstance.fetch_add(1));
    plugged_.store(true);
}

int FakeHidInterface::readsDone() const
{
    std::lock_guard lock(m_);
    return readsDone_;
}

pthread_t FakeHidInterface::lastReader() const
{
    std::lock_guard lock(m_);
    return lastReader_;
}

void FakeHidInterface::failReads(bool on)
{
    failReads_.store(on);
    cv_.notify_all();
}

void FakeHidInterface::allowOpens(int n)
{
    std::lock_guard lock(m_);
    opensLeft_ = n;
}

int FakeHidInterface::openHandles() const
{
    std::lock_guard lock(m_);
    return handles_;
}

std::uint64_t FakeHidInterface::droppedInputs() const
{
    std::lock_guard lock(m_);
    std::uint64_t n = droppedClosed_;
    for (const auto& q : queues_)
        if (q->read)
            n += q->dropped;
    return n;
}

std::shared_ptr<FakeHidInterface::Queue> FakeHidInterface::tryOpen()
{
    std::lock_guard lock(m_);
    if (openFails || !plugged_.load() || opensLeft_ == 0)
        return nullptr;
    if (opensLeft_ > 0)
        --opensLeft_;
    ++handles_;
    queues_.push_back(std::make_shared<Queue>());
    return queues_.back();
}

bool FakeHidInterface::gone(const Queue& q) const
{
    std::lock_guard lock(m_);
    return q.gone;
}

void FakeHidInterface::wrote(Queue& q, std::span<const std::uint8_t> report)
{
    std::lock_guard lock(m_);
    q.lastWritten.assign(report.begin(), report.end());
}

std::vector<Report> FakeHidInterface::lastWritesOfClosedHandles() const
{
    std::lock_guard lock(m_);
    return closedLast_;
}

void FakeHidInterface::closed(const std::shared_ptr<Queue>& q)
{
    std::lock_guard lock(m_);
    --handles_;
    if (!q->lastWritten.empty())
        closedLast_.push_back(q->lastWritten);
    if (q->read)
        droppedClosed_ += q->dropped;
    std::erase(queues_, q);  // a handle's buffer goes with it
}

int FakeHidInterface::read(Queue& q, std::span<std::uint8_t> buf, int timeoutMs)
{
    std::unique_lock lock(m_);
    q.read = true;
    lastReader_ = pthread_self();
    struct Done {
        int& n;
        ~Done() { ++n; }
    } done{readsDone_};
    cv_.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                 [&] { return !q.inputs.empty() || q.gone || failReads_.load() || t_signalHandled; });
    if (t_signalHandled) {
        t_signalHandled = 0;
        return -1;
    }
    if (q.gone || failReads_.load())
        return -1;
    if (q.inputs.empty())
        return 0;
    const Report r = std::move(q.inputs.front());
    q.inputs.pop_front();
    const std::size_t n = std::min(r.size(), buf.size());
    std::copy_n(r.begin(), n, buf.begin());
    return static_cast<int>(n);
}

// ---- RecordingHidInterface ------------------------------------------------------

int RecordingHidInterface::onWrite(std::span<const std::uint8_t> report)
{
    const int result = writeResult_.load();
    std::lock_guard lock(m_);
    written_.emplace_back(report.begin(), report.end());
    return result == kWhole ? static_cast<int>(report.size()) : result;
}

std::vector<Report> RecordingHidInterface::written() const
{
    std::lock_guard lock(m_);
    return written_;
}

// ---- handles and the backend -------------------------------------------------------

class FakeHidHandle final : public platform::HidHandle {
public:
    FakeHidHandle(std::shared_ptr<FakeHidInterface> i, std::shared_ptr<FakeHidInterface::Queue> q)
        : i_(std::move(i)), q_(std::move(q))
    {
    }
    ~FakeHidHandle() override { i_->closed(q_); }

    std::optional<platform::HidReportLengths> reportLengths() override
    {
        return i_->lengthsFail ? std::nullopt : std::optional(i_->lengths);
    }

    int read(std::span<std::uint8_t> buf, int timeoutMs) override
    {
        InCall c(*this);
        return i_->read(*q_, buf, timeoutMs);
    }

    int write(std::span<const std::uint8_t> report) override
    {
        InCall c(*this);
        if (i_->gone(*q_))
            return -1;
        const int n = i_->onWrite(report);
        if (n == static_cast<int>(report.size()))
            i_->wrote(*q_, report);
        return n;
    }

private:
    struct InCall {
        explicit InCall(FakeHidHandle& h) : h_(h)
        {
            if (h_.calls_.fetch_add(1) != 0)
                h_.i_->concurrent_.fetch_add(1);
        }
        ~InCall() { h_.calls_.fetch_sub(1); }
        FakeHidHandle& h_;
    };

    std::shared_ptr<FakeHidInterface> i_;
    std::shared_ptr<FakeHidInterface::Queue> q_;
    std::atomic<int> calls_{0};
};

class FakeHidBackend::Watch final : public platform::DeviceChangeWatch {
public:
    Watch(FakeHidBackend& b, std::function<void()> f) : backend_(&b), onChange(std::move(f))
    {
        b.watches_.push_back(this);
    }
    ~Watch() override
    {
        if (backend_)
            std::erase(backend_->watches_, this);
    }
    std::string source() const override { return "fake"; }

    FakeHidBackend* backend_;
    std::function<void()> onChange;
};

FakeHidBackend::FakeHidBackend() { platform::setHidBackend(this); }

FakeHidBackend::~FakeHidBackend()
{
    platform::setHidBackend(nullptr);
    for (Watch* w : watches_)
        w->backend_ = nullptr;
}

void FakeHidBackend::remove(const std::shared_ptr<FakeHidInterface>& i) { std::erase(interfaces_, i); }

void FakeHidBackend::moveToEnd(const std::shared_ptr<FakeHidInterface>& i)
{
    remove(i);
    interfaces_.push_back(i);
}

void FakeHidBackend::fireChange()
{
    const std::vector<Watch*> watches = watches_;
    for (Watch* w : watches)
        w->onChange();
}

std::optional<std::vector<platform::HidInterfaceInfo>> FakeHidBackend::enumerate()
{
    ++enumerations_;
    std::vector<platform::HidInterfaceInfo> found;
    for (const auto& i : interfaces_) {
        if (!i->plugged())
            continue;
        if (i->hiddenEnumerations > 0) {
            --i->hiddenEnumerations;
            continue;
        }
        if (i->detailFails)
            return std::nullopt;
        found.push_back({i->path, i->vendorId, i->productId, i->product, i->serial, i->instance()});
    }
    return found;
}

std::unique_ptr<platform::HidHandle> FakeHidBackend::open(const std::string& path, std::string* reason)
{
    for (const auto& i : interfaces_) {
        if (i->path != path)
            continue;
        if (auto q = i->tryOpen())
            return std::make_unique<FakeHidHandle>(i, std::move(q));
        if (reason)
            *reason = i->plugged() ? "Permission denied" : "No such device";
        return nullptr;
    }
    if (reason)
        *reason = "No such file or directory";
    return nullptr;
}

std::unique_ptr<platform::DeviceChangeWatch> FakeHidBackend::watchChanges(std::function<void()> onChange)
{
    return std::make_unique<Watch>(*this, std::move(onChange));
}

}  // namespace testing_support
