#!/usr/bin/env node
// Measures from outside that a record opened and saved by Tolvan is the same tree: each
// file is loaded into tolvan-gtp (loadsgf) and written again (printsgf), and both files
// are read with @sabaki/sgf, a reader of another program, and compared node for node and
// property for property. The root's properties Tolvan writes for itself (AP, CA, FF, GM,
// DT, KM, SZ) are left out of the comparison; so are files Tolvan refuses to load (a
// board of another size, moves that break the rules) and files @sabaki/sgf cannot read,
// which are counted apart.
//
//   npm install @sabaki/sgf        (in this folder or above; outside the product)
//   node roundtrip.js TOLVAN-GTP FILE...
const {execFileSync} = require('child_process')
const fs = require('fs')
const os = require('os')
const path = require('path')
const sgf = require('@sabaki/sgf')

const own = new Set(['AP', 'CA', 'FF', 'GM', 'DT', 'KM', 'SZ'])

function parse(file) {
  return sgf.parseFile(file, {getId: (() => { let id = 0; return () => id++ })()})
}

// The first difference between two nodes and their trees, or null.
function differ(a, b, where, root) {
  const keys = n => Object.keys(n.data).filter(k => !(root && own.has(k))).sort()
  const ka = keys(a), kb = keys(b)
  if (ka.join() !== kb.join()) return `${where}: properties ${ka.join()} / ${kb.join()}`
  for (const k of ka) {
    const va = a.data[k].map(v => v.trim()), vb = b.data[k].map(v => v.trim())
    if (JSON.stringify(va) !== JSON.stringify(vb)) return `${where}: ${k} ${JSON.stringify(va)} / ${JSON.stringify(vb)}`
  }
  if (a.children.length !== b.children.length)
    return `${where}: ${a.children.length} / ${b.children.length} children`
  for (let i = 0; i < a.children.length; i++) {
    const d = differ(a.children[i], b.children[i], `${where}.${i}`, false)
    if (d) return d
  }
  return null
}

const [engine, ...files] = process.argv.slice(2)
const out = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'roundtrip-')), 'out.sgf')
let same = 0, refused = 0, unread = 0, nodes = 0, variations = 0
const differing = []
for (const file of files) {
  let answer = ''
  try {
    answer = execFileSync(engine, [], {input: `loadsgf ${file}\nprintsgf ${out}\nquit\n`, encoding: 'utf8',
                                        stdio: ['pipe', 'pipe', 'ignore']})
  } catch (e) { answer = '?' }
  if (!answer.startsWith('=') || answer.split('\n\n')[0].startsWith('?') || !fs.existsSync(out)) {
    refused++
    continue
  }
  let before
  try {
    before = parse(file)
  } catch (e) {
    // A file the other reader cannot read is no measure of Tolvan's writing.
    unread++
    fs.unlinkSync(out)
    continue
  }
  const after = parse(out)
  fs.unlinkSync(out)
  let d = before.length !== after.length ? `${before.length} / ${after.length} games` : null
  for (let g = 0; !d && g < before.length; g++) d = differ(before[g], after[g], `game ${g + 1}`, true)
  const count = n => 1 + n.children.reduce((s, c) => s + count(c), 0)
  const branches = n => (n.children.length > 1 ? n.children.length - 1 : 0) + n.children.reduce((s, c) => s + branches(c), 0)
  if (d) {
    differing.push(`${file}: ${d}`)
  } else {
    same++
    nodes += before.reduce((s, t) => s + count(t), 0)
    variations += before.reduce((s, t) => s + branches(t), 0)
  }
}
for (const line of differing) console.log(line)
console.log(`files: ${files.length}; the same tree: ${same} (${nodes} nodes, ${variations} variations); ` +
            `differing: ${differing.length}; refused by Tolvan: ${refused}; not read by @sabaki/sgf: ${unread}`)
process.exit(differing.length ? 1 : 0)
