#include "calendar/knownholidays_win.h"

#include "base/filelog_win.h"
#include "base/files_win.h"
#include "base/handles_win.h"
#include "base/text_win.h"

namespace vemora {

void KnownHolidays::Start(const std::wstring& userFile, const std::wstring& settingsPath, std::string api,
                          EventLog& log, std::shared_ptr<Mailbox> mailbox) {
    // Read with the system's calls: the stream library would add a third of a
    // megabyte to the program for this one file.
    HANDLE raw = CreateFileW(userFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw != INVALID_HANDLE_VALUE) {
        UniqueKernelHandle in(raw);
        // One byte more than is read, so that the reader sees the file is cut short.
        std::string bytes(kHolidayFileMaxBytes + 1, '\0');
        size_t got = 0;
        DWORD read = 0;
        while (got < bytes.size() &&
               ReadFile(in.get(), bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &read, nullptr) &&
               read > 0)
            got += read;
        bytes.resize(got);
        HolidayFile file = ParseHolidayFile(bytes, [](std::string_view gbk) { return WideToUtf8(GbkToWide(gbk)); });
        book_ = std::move(file.book);
        problems_ = std::move(file.problems);
    }
    // The fetched schedules kept from the last run, before any request.
    HolidayFeed::Options feed;
    feed.cachePath = FolderOf(settingsPath) + L"holidays.cache";
    feed.api = std::move(api);
    feed.installSeed = InstallSeed(settingsPath);
    feed_ = std::make_unique<HolidayFeed>(book_, log, std::move(mailbox), std::move(feed));
    feed_->LoadKept();
}

void KnownHolidays::Tick(const DateTimeParts& now) {
    if (feed_)
        feed_->Tick(now);
}

bool KnownHolidays::Arrived(WorkerResult& result, const DateTimeParts& now) {
    auto* answer = dynamic_cast<HolidayAnswer*>(&result);
    return answer && feed_ && feed_->Arrived(*answer, now);
}

std::string KnownHolidays::TakeProblems() {
    std::string text;
    for (const std::string& problem : problems_)
        text += (text.empty() ? "" : "\n") + problem;
    problems_.clear();
    return text;
}

} // namespace vemora
