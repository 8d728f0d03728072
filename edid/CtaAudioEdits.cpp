// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/CtaAudioEdits.h"

#include "edid/CtaTags.h"
#include "edid/EdidDecoded.h"
#include "edid/EdidEditContext.h"
#include "edid/EdidEditWords.h"

namespace {

constexpr int SAD_SIZE = 3;
constexpr quint32 SPEAKER_MASK = (1u << EdidEditWords::SPEAKER_BITS) - 1;

int formatOf(const QByteArray &sad)
{
    return CtaShortAudio::formatOf(quint8(sad.at(0)));
}

bool removeAudio(EdidEditContext &c, int format)
{
    if (!c.needCta())
        return false;
    const CtaBlockSelector audio(CtaBlockSelector::Audio);
    bool found = false;
    for (int block : c.ctaBlocks()) {
        CtaLayout &cta = c.cta(block);
        for (int i = 0; i < cta.dataBlocks.size(); ++i) {
            QByteArray &d = cta.dataBlocks[i];
            if (!audio.matches(d))
                continue;
            // Whole descriptors only; bytes left over at the end of a block stay as they are.
            for (int at = 1 + (int(d.size()) - 1) / SAD_SIZE * SAD_SIZE - SAD_SIZE; at >= 1;
                 at -= SAD_SIZE) {
                if (format == 0 || formatOf(d.mid(at, SAD_SIZE)) == format) {
                    d.remove(at, SAD_SIZE);
                    found = true;
                }
            }
            if (d.size() == 1)
                cta.dataBlocks.removeAt(i--);
            else
                c.fixLength(d, QString());
        }
    }
    if (!found)
        return c.refuse(format == 0 ? QStringLiteral("the table lists no audio formats")
                                    : QStringLiteral("the table lists no %1 audio")
                                          .arg(EdidEditWords::audioFormatName(format)));
    return true;
}

bool checkSad(EdidEditContext &c, const QByteArray &sad)
{
    if (sad.size() != SAD_SIZE)
        return c.refuse(QStringLiteral("a short audio descriptor is 3 bytes"));
    const int format = formatOf(sad);
    const quint8 first = quint8(sad.at(0)), rates = quint8(sad.at(1)), detail = quint8(sad.at(2));
    if (format < 1 || format > 14 || (first & 0x80))
        return c.refuse(
            QStringLiteral("audio format %1 cannot be added; formats 1 to 14 can").arg(format));
    if (rates == 0 || (rates & 0x80))
        return c.refuse(QStringLiteral("an audio format needs one or more of the sample rates 32, "
                                       "44.1, 48, 88.2, 96, 176.4 and 192 kHz"));
    if (format == 1 && (detail == 0 || (detail & 0xF8)))
        return c.refuse(QStringLiteral("Linear PCM needs one or more of the sample sizes 16, 20 "
                                       "and 24 bits"));
    return true;
}

bool addAudio(EdidEditContext &c, const QByteArray &sad)
{
    if (!checkSad(c, sad) || !c.needCta())
        return false;
    const CtaBlockSelector audio(CtaBlockSelector::Audio);
    int target = -1;
    for (int block : c.ctaBlocks()) {
        for (const QByteArray &d : c.cta(block).dataBlocks) {
            if (!audio.matches(d))
                continue;
            for (int at = 1; at + SAD_SIZE <= d.size(); at += SAD_SIZE)
                if (d.mid(at, SAD_SIZE) == sad)
                    return c.refuse(QStringLiteral("the table already lists this %1 descriptor")
                                        .arg(EdidEditWords::audioFormatName(formatOf(sad))));
            if (target < 0)
                target = block;
        }
    }
    if (target < 0) {
        target = c.ctaForNewBlock();
        EdidEditContext::insert(c.cta(target), EdidEditContext::makeBlock(CtaTag::Audio, sad));
        return true;
    }
    CtaLayout &cta = c.cta(target);
    QByteArray &d = cta.dataBlocks[EdidEditContext::find(cta, audio)];
    // After the last whole descriptor.
    d.insert(1 + (int(d.size()) - 1) / SAD_SIZE * SAD_SIZE, sad);
    return c.fixLength(d, QStringLiteral("audio data block"));
}

bool setSpeakers(EdidEditContext &c, quint32 bits)
{
    if (bits == 0 || (bits & ~SPEAKER_MASK))
        return c.refuse(QStringLiteral("a speaker allocation names one or more of %1")
                            .arg(EdidEditWords::speakerWords().join(QStringLiteral(", "))));
    if (!c.needCta())
        return false;
    const QByteArray payload = EdidEditContext::bytes({ bits, bits >> 8, bits >> 16 });
    const CtaBlockSelector speakers(CtaBlockSelector::Speakers);
    for (int block : c.ctaBlocks()) {
        CtaLayout &cta = c.cta(block);
        const int i = EdidEditContext::find(cta, speakers);
        if (i < 0)
            continue;
        QByteArray &d = cta.dataBlocks[i];
        // A longer block keeps what follows the three allocation bytes.
        d = d.left(1) + payload + d.mid(1 + payload.size());
        return c.fixLength(d, QStringLiteral("speaker allocation block"));
    }
    const int target = c.ctaForNewBlock();
    EdidEditContext::insert(c.cta(target), EdidEditContext::makeBlock(CtaTag::Speakers, payload));
    return true;
}

} // namespace

bool CtaAudioEdits::apply(EdidEditContext &c, const EdidEdit &e)
{
    switch (e.kind) {
    case EdidEdit::RemoveAudio:
        if (e.number > 15)
            return c.refuse(QStringLiteral("audio format codes run from 1 to 15"));
        return removeAudio(c, int(e.number));
    case EdidEdit::AddAudio:
        return addAudio(c, e.sad);
    case EdidEdit::Speakers:
        return setSpeakers(c, e.number);
    default:
        return c.refuse(QStringLiteral("not an edit of the audio blocks"));
    }
}
