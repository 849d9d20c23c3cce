// The reference renderer of the number format differential test: the npm package ssf.
//
// usage: node ssf_render.js SSF_DIR < pairs
// Each input line is "n FORMAT VALUE" for a number (VALUE its text, "NaN" included) or
// "s FORMAT VALUE" for a text, FORMAT and VALUE in hexadecimal UTF-8. Each output line answers
// the input line of the same number: "=" and the rendered text in hexadecimal UTF-8, or "!" and
// the renderer's complaint when it refuses the format.
"use strict";

const fs = require("fs");
const ssf = require(process.argv[2]);

const text = (hex) => Buffer.from(hex, "hex").toString("utf8");
const out = [];
for (const line of fs.readFileSync(0, "utf8").split("\n")) {
    if (line === "") {
        continue;
    }
    const [kind, format, value] = line.split(" ");
    try {
        const rendered = ssf.format(text(format), kind === "n" ? Number(text(value)) : text(value));
        out.push("=" + Buffer.from(rendered, "utf8").toString("hex"));
    } catch (error) {
        out.push("!" + String(error.message).replace(/\n/g, " "));
    }
}
process.stdout.write(out.join("\n") + "\n");
