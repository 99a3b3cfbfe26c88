// Work on numbered items (utterances) in batches, on the calling thread or on
// worker threads, with each batch's outcome handed on in item order.
#ifndef VANTIR_TOOLS_ORDERED_BATCHES_H
#define VANTIR_TOOLS_ORDERED_BATCHES_H

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vantir::tools {

// Most items a batch takes: enough that handing batches out costs nothing
// beside the work, few enough that the output of a batch stays small.
constexpr size_t kMaxBatchItems = 64;
// Batches taken but not yet handed on, per worker: workers ahead of a slow
// consumer (output to a pipe, say) wait instead of filling memory.
constexpr size_t kBatchesAheadPerWorker = 4;

// Items per batch: up to kMaxBatchItems, fewer when that would leave workers
// without a batch (so that a short input still spreads over every worker).
inline size_t BatchItemsFor(size_t items, int32_t workers) {
    if (workers <= 1) return kMaxBatchItems;
    const size_t perWorker = items / (static_cast<size_t>(workers) * kBatchesAheadPerWorker);
    return std::clamp<size_t>(perWorker, 1, kMaxBatchItems);
}

// How the items are worked: `open` makes a worker's state (a session, buffers)
// on the thread that uses it, before its first item; `work` does item k into
// the batch; `consume` takes each batch on the calling thread, in order, with
// the number of items done by the end of it; `afterTake` (tests only) runs
// when a worker takes item k, before anything else.
template <class Worker, class Batch>
struct OrderedWork {
    std::function<Worker()> open;
    std::function<void(Worker& worker, size_t k, Batch& batch)> work;
    std::function<void(Batch& batch, size_t done)> consume;
    std::function<void(size_t k)> afterTake;
};

// Works items 0..count-1. With one worker everything runs on the calling
// thread; with more, the workers take the next batch as they become free and
// the calling thread hands the batches on in order. A failure (of open, of
// work, or of consume) is thrown on the calling thread after every item before
// it has been consumed, exactly as one thread would: a batch stops at its
// failing item, and a worker finishes every batch it took. Workers are joined
// however the calling thread leaves.
template <class Worker, class Batch>
void RunOrdered(size_t count, int32_t workers, const OrderedWork<Worker, Batch>& plan) {
    const size_t batchItems = BatchItemsFor(count, workers);
    const size_t batches = (count + batchItems - 1) / batchItems;

    struct Slot {
        Batch batch;
        size_t done = 0;  // items of the batch done (all, unless one failed)
        std::exception_ptr failure;
        bool filled = false;
    };
    // Works batch b into the slot; a failure ends it at the failing item.
    auto fill = [&](std::optional<Worker>& worker, size_t b, Slot& slot) {
        const size_t first = b * batchItems;
        const size_t end = std::min(count, first + batchItems);
        for (size_t k = first; k < end; ++k) {
            if (plan.afterTake) plan.afterTake(k);
            try {
                if (!worker) worker.emplace(plan.open());
                plan.work(*worker, k, slot.batch);
            } catch (...) {
                slot.failure = std::current_exception();
                break;
            }
            ++slot.done;
        }
    };

    if (workers <= 1 || batches <= 1) {
        std::optional<Worker> worker;
        for (size_t b = 0; b < batches; ++b) {
            Slot slot;
            fill(worker, b, slot);
            plan.consume(slot.batch, b * batchItems + slot.done);
            if (slot.failure) std::rethrow_exception(slot.failure);
        }
        return;
    }

    struct Shared {
        std::mutex mutex;
        std::condition_variable filled;  // a slot was filled
        std::condition_variable room;    // a batch was handed on, or the run stops
        std::vector<Slot> slots;
        size_t next = 0;      // the next batch to take
        size_t consumed = 0;  // batches handed on
        bool stop = false;    // after a failure, or when the calling thread leaves
    } shared;
    shared.slots.resize(batches);
    const size_t threads = std::min(static_cast<size_t>(workers), batches);
    const size_t ahead = threads * kBatchesAheadPerWorker;

    auto run = [&] {
        std::optional<Worker> worker;
        while (true) {
            size_t b;
            {
                std::unique_lock<std::mutex> lock(shared.mutex);
                // Stop is read before a batch is taken, never after: the calling
                // thread waits for the slots in order, and a batch taken but left
                // unfilled would keep it waiting for ever.
                shared.room.wait(lock, [&] {
                    return shared.stop || shared.next >= batches ||
                           shared.next < shared.consumed + ahead;
                });
                if (shared.stop || shared.next >= batches) return;
                b = shared.next++;
            }
            Slot slot;
            fill(worker, b, slot);
            const std::lock_guard<std::mutex> lock(shared.mutex);
            if (slot.failure) shared.stop = true;
            slot.filled = true;
            shared.slots[b] = std::move(slot);
            shared.filled.notify_all();
            if (shared.stop) shared.room.notify_all();
        }
    };

    // Joins the workers however the calling thread leaves, stopping them first
    // when it leaves early (a failed consumer, say).
    struct Group {
        Shared& shared;
        std::vector<std::thread> threads;
        ~Group() {
            {
                const std::lock_guard<std::mutex> lock(shared.mutex);
                shared.stop = true;
            }
            shared.room.notify_all();
            for (std::thread& thread : threads)
                thread.join();
        }
    } group{shared, {}};
    for (size_t t = 0; t < threads; ++t)
        group.threads.emplace_back(run);

    for (size_t b = 0; b < batches; ++b) {
        Slot slot;
        {
            std::unique_lock<std::mutex> lock(shared.mutex);
            shared.filled.wait(lock, [&] { return shared.slots[b].filled; });
            slot = std::move(shared.slots[b]);
            shared.slots[b] = Slot{};
        }
        plan.consume(slot.batch, b * batchItems + slot.done);
        if (slot.failure) std::rethrow_exception(slot.failure);
        {
            const std::lock_guard<std::mutex> lock(shared.mutex);
            ++shared.consumed;
        }
        shared.room.notify_all();
    }
}

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_ORDERED_BATCHES_H
