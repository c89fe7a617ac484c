#include "decoder_warnings.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace specialty {

namespace {

thread_local DecoderWarnings* collecting = nullptr;
QtMessageHandler previous = nullptr;

} // namespace

// The handler Qt calls; defined here so that it may reach the collector of its thread.
void collectDecoderWarning(QtMsgType type, const QMessageLogContext& context, const QString& message);

DecoderWarnings::DecoderWarnings() : outer_(collecting) {
    if (!outer_) previous = qInstallMessageHandler(collectDecoderWarning);
    collecting = this;
}

DecoderWarnings::~DecoderWarnings() {
    collecting = outer_;
    if (!outer_) qInstallMessageHandler(previous);
}

void collectDecoderWarning(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (collecting && type == QtWarningMsg) {
        collecting->add(message.toStdString());
        return;
    }
    if (previous)
        previous(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace specialty
