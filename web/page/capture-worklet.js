// The sound input on the audio thread: its channels mixed to one, as the
// sound server mixes them for bv7 record, posted to the page a tenth of a
// second at a time.
class Capture extends AudioWorkletProcessor {
  constructor() {
    super();
    this.length = Math.round(sampleRate / 10);
    this.chunk = new Float32Array(this.length);
    this.filled = 0;
  }

  process(inputs) {
    const channels = inputs[0];
    if (!channels || channels.length === 0) return true;
    const frames = channels[0].length;
    for (let i = 0; i < frames; ++i) {
      let sum = 0;
      for (const channel of channels) sum += channel[i];
      this.chunk[this.filled++] = sum / channels.length;
      if (this.filled === this.length) {
        // Handed over whole: the next tenth goes into a new array.
        this.port.postMessage(this.chunk, [this.chunk.buffer]);
        this.chunk = new Float32Array(this.length);
        this.filled = 0;
      }
    }
    return true;
  }
}

registerProcessor("aufnahme", Capture);
