// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// A CTA-861 extension block taken apart into the pieces an edit moves: its header, the data
// blocks as raw tagged byte runs, the 18-byte detailed timings and whatever follows them up to the
// checksum. Put back together unchanged it gives the same 128 bytes; when a data block grows or
// shrinks the detailed timings move with it, and the padding takes up the difference.
struct CtaLayout
{
    quint8 revision = 3;
    quint8 flags = 0; // byte 3: underscan, basic audio, YCbCr 4:4:4 and 4:2:2, native timings
    bool noOffset = false; // byte 2 was 0: the block held neither data blocks nor timings
    QVector<QByteArray> dataBlocks; // each starts with its tag-and-length byte
    QVector<QByteArray> timings; // 18 bytes each
    QByteArray padding; // the bytes after the last timing, up to the checksum, as found
    quint8 checksum = 0; // as stored

    // Header, data blocks and timings: what must fit in front of the checksum.
    int contentSize() const;
};

// One 128-byte block of a table. The base block and blocks the editor does not take apart are
// kept as their bytes (base block edits write fields in place); CTA-861 extensions are laid out.
struct EdidLayoutBlock
{
    enum Kind { Base, Cta, Other };
    Kind kind = Other;
    QByteArray bytes; // the 128 bytes as read
    CtaLayout cta; // Cta blocks only
    // For an extension with the CTA tag that could not be taken apart: why not.
    QString whyNotCta;
};

class EdidLayout
{
public:
    static constexpr int BLOCK_SIZE = 128;
    // Bytes 0..126 of an extension; byte 127 is its checksum.
    static constexpr int CTA_SPACE = 127;
    static constexpr int TIMING_SIZE = 18;
    // A data block's length field has five bits.
    static constexpr int MAX_PAYLOAD = 31;

    // A table of one or more whole blocks that starts with the EDID header; false (and why) for
    // anything else. Extension blocks of other kinds, and CTA blocks whose lengths do not add
    // up, are kept as bytes.
    static bool parse(const QByteArray &table, EdidLayout &layout, QString *why);

    // The 128 bytes of a laid-out CTA block, its stored checksum last. False, with why, when
    // its content does not fit.
    static bool encodeCta(const CtaLayout &cta, QByteArray &block, QString *why);

    // Every block as it stands: bytes for Base and Other blocks, the encoding of each Cta one.
    // Empty when a CTA block no longer fits (encodeCta says which).
    QByteArray encode(QString *why = nullptr) const;

    QVector<EdidLayoutBlock> blocks;
};
