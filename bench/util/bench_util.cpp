// Throughput of the JSON reader on a reply shaped like the service's, next
// to nlohmann::json on the same text when it is available, and the string
// builder's Append against QString::append.

#include "util/json.h"
#include "util/string_builder.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <string>

#ifdef KINOLEAF_BENCH_NLOHMANN
#include <nlohmann/json.hpp>
#endif

namespace {

// An object with a "list" of movie rows and a "story" list of pages, about 5 MB.
std::string makeReply() {
    std::string s = "{\"status\":1,\"msg\":\"ok\",\"total\":20000,\"list\":[";
    for (int i = 0; i < 20000; ++i) {
        if (i) s += ',';
        s += "{\"id\":" + std::to_string(100000 + i) + ",\"title\":\"\\u7535\\u5f71 Movie " +
             std::to_string(i) + "\",\"author\":\"user" + std::to_string(i % 97) +
             "\",\"pics\":" + std::to_string(20 + i % 300) + ",\"score\":" + std::to_string(i % 10) + "." +
             std::to_string(i % 100) + ",\"date\":\"2024-0" + std::to_string(1 + i % 9) +
             "-1" + std::to_string(i % 10) + "\",\"cover\":\"http://img.example/covers/" +
             std::to_string(i) + ".jpg\",\"intro\":\"A picture movie about the number " +
             std::to_string(i) + ", told in stills.\",\"vip\":" + (i % 3 ? "false" : "true") + "}";
    }
    s += "],\"story\":[";
    for (int i = 0; s.size() < 5'000'000; ++i) {
        if (i) s += ',';
        s += "{\"image\":\"http://img.example/story/" + std::to_string(i) +
             ".jpg\",\"intro\":\"第" + std::to_string(i) + "页：他走进雨里，回头看了一眼。\"}";
    }
    s += "]}";
    return s;
}

template <typename F>
double bestSeconds(int runs, F&& f) {
    double best = 1e9;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, double(t.nsecsElapsed()) / 1e9);
    }
    return best;
}

} // namespace

int main() {
    const std::string utf8 = makeReply();
    const QString text = QString::fromStdString(utf8);
    const double mb = double(utf8.size()) / 1e6;
    std::printf("reply: %.2f MB UTF-8, %lld UTF-16 units\n", mb, static_cast<long long>(text.size()));

    int rows = 0;
    const double ours = bestSeconds(5, [&] {
        const kinoleaf::JsonValue root = kinoleaf::JSON::Parse(text);
        rows = root[QStringLiteral("list")].count() + root[QStringLiteral("story")].count();
    });
    const double oursWithDecode = bestSeconds(5, [&] {
        const kinoleaf::JsonValue root = kinoleaf::JSON::Parse(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
        rows = root[QStringLiteral("list")].count() + root[QStringLiteral("story")].count();
    });
    std::printf("kinoleaf JSON::Parse: %.1f ms, %.1f MB/s (%d rows, errors \"%s\")\n", ours * 1e3, mb / ours,
                rows, qPrintable(kinoleaf::JSON::ParserErrors()));
    std::printf("kinoleaf incl. UTF-8 decode: %.1f ms, %.1f MB/s\n", oursWithDecode * 1e3, mb / oursWithDecode);

#ifdef KINOLEAF_BENCH_NLOHMANN
    std::size_t nrows = 0;
    const double theirs = bestSeconds(5, [&] {
        const auto j = nlohmann::json::parse(utf8);
        nrows = j["list"].size() + j["story"].size();
    });
    std::printf("nlohmann::json::parse: %.1f ms, %.1f MB/s (%zu rows)\n", theirs * 1e3, mb / theirs, nrows);
    std::printf("ratio kinoleaf/nlohmann throughput: %.2f (incl. decode %.2f)\n", theirs / ours,
                theirs / oursWithDecode);
#else
    std::printf("nlohmann::json not found: comparison skipped\n");
#endif

    const QString piece = QStringLiteral("piece");
    constexpr int kPieces = 1'000'000;
    int length = 0;
    const double builder = bestSeconds(5, [&] {
        kinoleaf::cStringBuilder b;
        for (int i = 0; i < kPieces; ++i) b.Append(piece);
        length = b.toString().size();
    });
    const double qstring = bestSeconds(5, [&] {
        QString s;
        for (int i = 0; i < kPieces; ++i) s.append(piece);
        length = s.size();
    });
    std::printf("1M x Append(\"piece\"): cStringBuilder %.1f ms, QString::append %.1f ms (%d chars)\n",
                builder * 1e3, qstring * 1e3, length);
    return 0;
}
