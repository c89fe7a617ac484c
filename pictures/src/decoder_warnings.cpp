#include "decoder_warnings.h"

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace specialty {

namespace {

thread_local DecoderWarnings* collecting = nullptr;
std::atomic<QtMessageHandler> previous{nullptr};

} // namespace

// The handler Qt calls; defined here so that it may reach the collector of its thread.
void collectDecoderWarning(QtMsgType type, const QMessageLogContext& context, const QString& message);

DecoderWarnings::DecoderWarnings() : outer_(collecting) {
    static std::once_flag installed;
    std::call_once(installed, [] { previous = qInstallMessageHandler(collectDecoderWarning); });
    collecting = this;
}

DecoderWarnings::~DecoderWarnings() {
    collecting = outer_;
}

void collectDecoderWarning(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (collecting && type == QtWarningMsg) {
        collecting->add(message.toStdString());
        return;
    }
    if (const QtMessageHandler before = previous.load())
        before(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace specialty
