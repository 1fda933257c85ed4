#!/usr/bin/env python3
"""Adds a seek index to a RealMedia file that has none.

ffmpeg's RealMedia writer leaves the index out, and a player then cannot seek in
the file: every jump freezes the picture. This writes one INDX chunk per stream
(an entry for each key packet of video streams, and for the first packet of every
second of other streams) after the DATA chunk, and points the PROP header at them.
A file that already has an index is left as it is.

Usage: rm_index.py FILE.rm [...]      (the file is rewritten in place)
"""
import struct
import sys


def chunks(data):
    pos = 0
    while pos + 10 <= len(data):
        cid, size = bytes(data[pos:pos + 4]), struct.unpack('>I', data[pos + 4:pos + 8])[0]
        if size < 10:
            raise ValueError(f'damaged chunk {cid!r} at byte {pos}')
        # ffmpeg counts a few bytes too many in the last DATA chunk's size.
        if pos + size > len(data):
            if cid != b'DATA':
                raise ValueError(f'damaged chunk {cid!r} at byte {pos}')
            size = len(data) - pos
        yield cid, pos, size
        pos += size


def video_streams(data):
    """Stream numbers whose media type is video."""
    found = set()
    for cid, pos, size in chunks(data):
        if cid == b'MDPR':
            number = struct.unpack('>H', data[pos + 10:pos + 12])[0]
            body = data[pos + 12 + 28:pos + size]  # after the bit rates, sizes and times
            name_len = body[0]
            mime_len = body[1 + name_len]
            mime = body[2 + name_len:2 + name_len + mime_len]
            if mime.startswith(b'video/'):
                found.add(number)
    return found


def add_index(path):
    data = bytearray(open(path, 'rb').read())
    if data[:4] != b'.RMF':
        raise ValueError('not a RealMedia file')
    found = {cid: (pos, size) for cid, pos, size in chunks(data)}
    prop = found[b'PROP'][0] if b'PROP' in found else None
    if b'INDX' in found or (prop is not None and struct.unpack('>I', data[prop + 38:prop + 42])[0]):
        return False
    if b'PROP' not in found or b'DATA' not in found:
        raise ValueError('no PROP or DATA chunk')
    video = video_streams(data)
    data_pos, data_size = found[b'DATA']
    entries = {}  # stream -> [(timestamp, offset, packet number)]
    last_second = {}
    pos, number = data_pos + 18, 0
    while pos + 12 <= data_pos + data_size:
        version, length, stream, stamp = struct.unpack('>HHHI', data[pos:pos + 10])
        if version not in (0, 1) or length < 12:
            raise ValueError(f'damaged packet at byte {pos}')
        flags = data[pos + 11] if version == 0 else data[pos + 12]
        key = bool(flags & 2)
        if stream in video:
            wanted = key
        else:
            wanted = last_second.get(stream) != stamp // 1000
            last_second[stream] = stamp // 1000
        if wanted:
            entries.setdefault(stream, []).append((stamp, pos, number))
        pos += length
        number += 1
    if not entries:
        raise ValueError('no packets to index')
    # The DATA chunk ends with its last packet; its size is set to say so, as the
    # index follows it.
    data_size = pos - data_pos
    struct.pack_into('>I', data, data_pos + 4, data_size)
    tail = bytes(data[data_pos + data_size:])
    del data[data_pos + data_size:]
    streams = sorted(entries)
    first_index = len(data)
    for i, stream in enumerate(streams):
        rows = entries[stream]
        size = 20 + 14 * len(rows)
        next_header = len(data) + size if i + 1 < len(streams) else 0
        data += b'INDX' + struct.pack('>IHIHI', size, 0, len(rows), stream, next_header)
        for stamp, offset, packet in rows:
            data += struct.pack('>HIII', 0, stamp, offset, packet)
    data += tail
    struct.pack_into('>I', data, prop + 38, first_index)  # index_offset
    headers = struct.unpack('>I', data[14:18])[0]
    struct.pack_into('>I', data, 14, headers + len(streams))  # .RMF: number of headers
    with open(path, 'wb') as out:
        out.write(data)
    return True


def main(paths):
    if not paths:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    for path in paths:
        try:
            added = add_index(path)
        except (OSError, ValueError) as e:
            print(f'rm_index.py: {path}: {e}', file=sys.stderr)
            return 1
        print(f'{path}: {"index added" if added else "already indexed"}')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
