// The sample rate a sound file holds, from its container's header, so that
// the browser decodes it at its own rate and nothing is resampled before the
// core reads it: MP3 (behind an ID3v2 tag), Ogg Vorbis and Opus, FLAC,
// M4A/MP4 (the mp4a sample entry) and AAC in ADTS frames. Null when unknown.

const text = (bytes, at, length) => String.fromCharCode(...bytes.subarray(at, at + length));
const u16 = (bytes, at) => (bytes[at] << 8) | bytes[at + 1];
const u32 = (bytes, at) => ((bytes[at] << 24) >>> 0) + ((bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3]);

// Opus always decodes at 48000, whatever rate its header names as the input's.
const opusRate = 48000;

// Behind an ID3v2 tag: its 10-byte header, a size of 4 times 7 bits, a footer when flagged.
function behindId3(bytes) {
  if (bytes.length < 10 || text(bytes, 0, 3) !== "ID3") return 0;
  const size = (bytes[6] << 21) | (bytes[7] << 14) | (bytes[8] << 7) | bytes[9];
  return 10 + size + (bytes[5] & 0x10 ? 10 : 0);
}

const mpegRates = { 3: [44100, 48000, 32000], 2: [22050, 24000, 16000], 0: [11025, 12000, 8000] };
const adtsRates = [96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350];

// The first MPEG audio frame header (MP3) or ADTS header (AAC) from `start`.
function frameRate(bytes, start) {
  const end = Math.min(bytes.length - 3, start + 65536);
  for (let at = start; at < end; ++at) {
    if (bytes[at] !== 0xff || (bytes[at + 1] & 0xe0) !== 0xe0) continue;
    const version = (bytes[at + 1] >> 3) & 3, layer = (bytes[at + 1] >> 1) & 3;
    if (layer === 0 && (bytes[at + 1] & 0xf0) === 0xf0) {
      const index = (bytes[at + 2] >> 2) & 0xf;
      if (index < adtsRates.length) return adtsRates[index];
      continue;
    }
    const index = (bytes[at + 2] >> 2) & 3, bitrate = bytes[at + 2] >> 4;
    if (version !== 1 && layer !== 0 && index !== 3 && bitrate !== 15) return mpegRates[version][index];
  }
  return null;
}

// The first packet of the first Ogg page: Vorbis' identification header
// holds the rate at byte 12; Opus' decodes at 48000.
function oggRate(bytes) {
  if (bytes.length < 28) return null;
  const packet = 27 + bytes[26];
  if (text(bytes, packet, 7) === "\x01vorbis" && bytes.length >= packet + 16) {
    const at = packet + 12;
    return (bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (bytes[at + 3] << 24)) >>> 0;
  }
  if (text(bytes, packet, 8) === "OpusHead") return opusRate;
  return null;
}

// STREAMINFO, the first metadata block: 20 bits of rate behind 10 bytes of
// block and frame sizes.
function flacRate(bytes, start) {
  const at = start + 4 + 4 + 10;
  if (bytes.length < at + 3) return null;
  return (bytes[at] << 12) | (bytes[at + 1] << 4) | (bytes[at + 2] >> 4);
}

// The boxes down to stsd and its first audio sample entry: the rate as
// 16.16 fixed point at byte 32 of the entry.
const containers = new Set(["moov", "trak", "mdia", "minf", "stbl"]);
function mp4Rate(bytes, start = 0, end = bytes.length) {
  for (let at = start; at + 8 <= end;) {
    let size = u32(bytes, at);
    const type = text(bytes, at + 4, 4);
    if (size === 0) size = end - at;                                        // to the end
    else if (size === 1 && at + 16 <= end) size = u32(bytes, at + 8) * 2 ** 32 + u32(bytes, at + 12);   // 64 bits
    if (size < 8 || at + size > end) return null;
    if (containers.has(type)) {
      const rate = mp4Rate(bytes, at + 8, at + size);
      if (rate) return rate;
    } else if (type === "stsd" && size >= 16 + 36) {
      const entry = at + 16;
      if (["mp4a", "alac", "Opus", "fLaC"].includes(text(bytes, entry + 4, 4)))
        return text(bytes, entry + 4, 4) === "Opus" ? opusRate : u16(bytes, entry + 32);
    }
    at += size;
  }
  return null;
}

export function audioRate(bytes) {
  const start = behindId3(bytes);
  if (text(bytes, 0, 4) === "OggS") return oggRate(bytes);
  if (text(bytes, start, 4) === "fLaC") return flacRate(bytes, start);
  if (text(bytes, 4, 4) === "ftyp") return mp4Rate(bytes);
  return frameRate(bytes, start) || null;
}
