// A WAV of `frames` frames of 16-bit stereo at 44100, its samples zero: the
// buffer, and its samples to fill (left, right, left, ...).
export function stereoWav16(frames) {
  const wav = Buffer.alloc(44 + frames * 4);
  wav.write("RIFF", 0); wav.writeUInt32LE(36 + frames * 4, 4); wav.write("WAVEfmt ", 8);
  wav.writeUInt32LE(16, 16); wav.writeUInt16LE(1, 20); wav.writeUInt16LE(2, 22); wav.writeUInt32LE(44100, 24);
  wav.writeUInt32LE(44100 * 4, 28); wav.writeUInt16LE(4, 32); wav.writeUInt16LE(16, 34);
  wav.write("data", 36); wav.writeUInt32LE(frames * 4, 40);
  return { wav, samples: new Int16Array(wav.buffer, wav.byteOffset + 44, frames * 2) };
}
