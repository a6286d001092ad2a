// The commands of sheetjs-cfb.sh, run by node with the pinned "cfb" package on NODE_PATH.
'use strict';
const fs = require('fs');
const path = require('path');
const CFB = require('cfb');

// Every regular file below dir, by its path relative to dir with '/', sorted.
function filesUnder(dir, prefix = '') {
    const out = [];
    for (const name of fs.readdirSync(path.join(dir, prefix)).sort()) {
        const rel = prefix ? prefix + '/' + name : name;
        const stat = fs.statSync(path.join(dir, rel));
        if (stat.isDirectory()) {
            out.push(...filesUnder(dir, rel));
        } else if (stat.isFile()) {
            out.push(rel);
        }
    }
    return out;
}

function writeTree(out, streams) {
    const cfb = CFB.utils.cfb_new();
    for (const [name, bytes] of streams) {
        CFB.utils.cfb_add(cfb, '/' + name, bytes);
    }
    fs.writeFileSync(out, CFB.write(cfb, {type: 'buffer'}));
}

function write(out, dir) {
    writeTree(out, filesUnder(dir).map(
        (rel) => [rel.replace(/\.[^./]*$/, ''), fs.readFileSync(path.join(dir, rel))]));
}

function read(file, dir) {
    const cfb = CFB.read(fs.readFileSync(file), {type: 'buffer'});
    const rootPath = cfb.FullPaths[0];
    for (let i = 1; i < cfb.FileIndex.length; ++i) {
        const entry = cfb.FileIndex[i];
        if (entry.type !== 2) {
            continue;
        }
        const dest = path.join(dir, cfb.FullPaths[i].slice(rootPath.length));
        fs.mkdirSync(path.dirname(dest), {recursive: true});
        const bytes = entry.content ? Buffer.from(entry.content) : Buffer.alloc(0);
        fs.writeFileSync(dest, bytes.subarray(0, entry.size));
    }
}

// The bytes of cfbtest::Pattern: different per stream and per position.
function pattern(size, seed) {
    const bytes = Buffer.alloc(size);
    let x = (Math.imul(seed, 2654435761) + 12345) >>> 0;
    for (let i = 0; i < size; ++i) {
        x = (Math.imul(x, 1103515245) + 12345) >>> 0;
        bytes[i] = (x >>> 16) & 0xff;
    }
    return bytes;
}

// Streams on each side of the mini stream cutoff and of the sector and mini sector sizes, in
// three storages, and one stream long enough for a FAT of two sectors. The tests make the
// same tree to compare with.
function fixtures(dir) {
    const streams = [];
    let seed = 1;
    for (const storage of ['Images', 'Sound', 'Music']) {
        for (const size of [0, 1, 63, 64, 65, 511, 512, 513, 4095, 4096, 4097]) {
            streams.push([storage + '/S' + size, pattern(size, seed++)]);
        }
    }
    streams.push(['Music/Long', pattern(66000, 100)]);
    fs.mkdirSync(dir, {recursive: true});
    writeTree(path.join(dir, 'edge-sizes.stg'), streams);
}

const [command, ...args] = process.argv.slice(2);
const commands = {write: [write, 2], read: [read, 2], fixtures: [fixtures, 1]};
if (!commands[command] || args.length !== commands[command][1]) {
    process.stderr.write('usage: sheetjs-cfb.sh write OUT DIR | read FILE DIR | fixtures [DIR]\n');
    process.exit(2);
}
commands[command][0](...args);
