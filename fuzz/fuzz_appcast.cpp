#include "appcastupdater.h"
#include "fuzzinput.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray feed = fuzzinput::bytes(data, size);
    const QString current = u"1.2.0"_s;
    const UpdateCheckResult result
        = AppcastUpdater::evaluateFeed(feed, current, QUrl(u"https://example.com/appcast.xml"_s));

    FUZZ_CHECK(!result.message.isEmpty());
    FUZZ_CHECK(result.kind != UpdateCheckResult::Kind::NoFeedConfigured);
    if (result.kind == UpdateCheckResult::Kind::UpdateAvailable) {
        FUZZ_CHECK(AppcastUpdater::compareVersions(result.latestVersion, current) > 0);
        // The address goes to a browser: a web page or nothing.
        if (!result.downloadUrl.isEmpty()) {
            FUZZ_CHECK(result.downloadUrl.isValid());
            FUZZ_CHECK(
                result.downloadUrl.scheme() == u"https" || result.downloadUrl.scheme() == u"http");
            FUZZ_CHECK(!result.downloadUrl.host().isEmpty());
        }
    } else {
        FUZZ_CHECK(result.downloadUrl.isEmpty());
    }
    if (result.kind == UpdateCheckResult::Kind::UpToDate)
        FUZZ_CHECK(AppcastUpdater::compareVersions(result.latestVersion, current) <= 0);

    // The ordering of versions is a total order on any two texts.
    const QString text = fuzzinput::text(data, size);
    const qsizetype half = text.size() / 2;
    const QString a = text.first(half);
    const QString b = text.sliced(half);
    FUZZ_CHECK(AppcastUpdater::compareVersions(a, a) == 0);
    FUZZ_CHECK(AppcastUpdater::compareVersions(a, b) == -AppcastUpdater::compareVersions(b, a));
    return 0;
}
