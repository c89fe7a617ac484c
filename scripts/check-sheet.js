// Opens pages of a review sheet in headless Chromium over the DevTools protocol (on a pipe: no port, no
// packages) and checks them as a reader would see them: no console errors, every picture decoded, nothing
// loaded from outside the sheet's folder, no script, and catalogue text shown as text.
//   node scripts/check-sheet.js CHECKS.json
// Every page in the folder is loaded and checked; CHECKS.json adds what some of them must show: {"folder": DIR, "screenshot": {"page": NAME, "file": PNG} (optional),
//               "pages": [{"page": NAME, "images": MIN, "texts": [TEXT...], "marks": [TEXT...]}]}
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const checks = JSON.parse(fs.readFileSync(process.argv[2], 'utf8'));
const folder = fs.realpathSync(checks.folder);
// Every page of the sheet is loaded; those named in CHECKS.json get their further checks.
for (const name of fs.readdirSync(folder).sort())
    if (name.endsWith('.html') && !checks.pages.some((c) => c.page === name)) checks.pages.push({ page: name });
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'sheet-chromium-'));
const browser = spawn('chromium', [
    '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--hide-scrollbars', '--remote-debugging-pipe', `--user-data-dir=${profile}`, 'about:blank',
], { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'] });

let nextId = 1;
const waiting = new Map();
const listeners = [];
let received = Buffer.alloc(0);
browser.stdio[4].on('data', (chunk) => {
    received = Buffer.concat([received, chunk]);
    for (let end; (end = received.indexOf(0)) >= 0;) {
        const message = JSON.parse(received.subarray(0, end).toString('utf8'));
        received = received.subarray(end + 1);
        if (message.id && waiting.has(message.id)) {
            const { resolve, reject } = waiting.get(message.id);
            waiting.delete(message.id);
            if (message.error) reject(new Error(JSON.stringify(message.error)));
            else resolve(message.result);
        } else if (message.method) {
            for (const listener of listeners) listener(message);
        }
    }
});
function send(method, params = {}, sessionId) {
    const id = nextId++;
    browser.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
    return new Promise((resolve, reject) => waiting.set(id, { resolve, reject }));
}
function event(name, sessionId) {
    return new Promise((resolve) => {
        const listener = (m) => {
            if (m.method === name && m.sessionId === sessionId) {
                listeners.splice(listeners.indexOf(listener), 1);
                resolve(m.params);
            }
        };
        listeners.push(listener);
    });
}

const failures = [];
function fail(page, what) {
    failures.push(`${page}: ${what}`);
}

// Everything a page shows a reader, gathered in the page once it has loaded: its pictures are asked to
// load now (they load lazily) and waited for.
const inspect = `(async () => {
    const images = [...document.images];
    const lazy = images.filter((i) => i.getAttribute('loading') === 'lazy').length;
    images.forEach((i) => { i.loading = 'eager'; });
    const decoded = await Promise.all(images.map((i) =>
        i.decode().then(() => ({ src: i.src, width: i.naturalWidth }), () => ({ src: i.src, width: 0 }))));
    const links = [...document.querySelectorAll('[href],[src]')].map((e) => e.href || e.src);
    const style = getComputedStyle(document.body).fontFamily;
    return JSON.stringify({ decoded, lazy, links, text: document.body.innerText, style,
        scripts: document.querySelectorAll('script,iframe,object,embed,form').length,
        marks: [...document.querySelectorAll('.mark')].map((m) => m.textContent),
        anchors: [...document.querySelectorAll('a[href]')].map((a) => ({ text: a.textContent, href: a.getAttribute('href') })) });
})()`;

async function main() {
    const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
    const errors = [];
    listeners.push((m) => {
        if (m.sessionId !== sessionId) return;
        if (m.method === 'Log.entryAdded' && m.params.entry.level === 'error')
            errors.push(`${m.params.entry.text} ${m.params.entry.url || ''}`);
        if (m.method === 'Runtime.consoleAPICalled' && m.params.type === 'error') errors.push('console.error');
        if (m.method === 'Runtime.exceptionThrown') errors.push(m.params.exceptionDetails.text);
    });
    for (const domain of ['Page', 'Runtime', 'Log']) await send(`${domain}.enable`, {}, sessionId);
    await send('Emulation.setDeviceMetricsOverride',
        { width: 1200, height: 900, deviceScaleFactor: 1, mobile: false }, sessionId);
    for (const check of checks.pages) {
        errors.length = 0;
        const loaded = event('Page.loadEventFired', sessionId);
        const url = 'file://' + path.join(folder, check.page);
        const navigation = await send('Page.navigate', { url }, sessionId);
        if (navigation.errorText) {
            fail(check.page, navigation.errorText);
            continue;
        }
        await loaded;
        const result = await send('Runtime.evaluate', { expression: inspect, awaitPromise: true }, sessionId);
        const seen = JSON.parse(result.result.value);
        await new Promise((r) => setTimeout(r, 100)); // late log entries of the pictures' loads
        for (const e of errors) fail(check.page, `console error: ${e}`);
        if (seen.scripts > 0) fail(check.page, `${seen.scripts} script, frame, object or form elements`);
        if (!seen.style.includes('Liberation Sans')) fail(check.page, `the style sheet did not apply (${seen.style})`);
        const shown = seen.decoded.filter((d) => d.width > 0).length;
        for (const d of seen.decoded) if (d.width === 0) fail(check.page, `picture ${d.src} did not decode`);
        if (shown < (check.images || 0)) fail(check.page, `${shown} pictures decoded, expected at least ${check.images}`);
        if (seen.lazy !== seen.decoded.length) fail(check.page, `${seen.decoded.length - seen.lazy} pictures not loaded lazily`);
        for (const link of seen.links)
            if (!link.startsWith('file://' + folder + '/')) fail(check.page, `a link or source leaves the sheet: ${link}`);
        for (const text of check.texts || [])
            if (!seen.text.includes(text)) fail(check.page, `does not show the text ${JSON.stringify(text)}`);
        // Texts that must show in this order, as a reader scrolls.
        const order = check.order || [];
        for (let i = 1; i < order.length; ++i)
            if (seen.text.indexOf(order[i - 1]) < 0 || seen.text.indexOf(order[i]) <= seen.text.indexOf(order[i - 1]))
                fail(check.page, `does not show ${JSON.stringify(order[i])} after ${JSON.stringify(order[i - 1])}`);
        // Every link whose text holds `text` (is `exactly`) leads where `to` begins, and one at least does.
        for (const rule of check.linksTo || []) {
            const matching = seen.anchors.filter((a) =>
                rule.exactly !== undefined ? a.text.trim() === rule.exactly : a.text.includes(rule.text));
            if (matching.length === 0) fail(check.page, `no link shows ${JSON.stringify(rule.text ?? rule.exactly)}`);
            for (const a of matching)
                if (!a.href.startsWith(rule.to)) fail(check.page, `the link ${JSON.stringify(a.text)} leads to ${a.href}, not ${rule.to}`);
        }
        for (const text of check.marks || [])
            if (!seen.marks.some((m) => m.includes(text))) fail(check.page, `has no mark ${JSON.stringify(text)}`);
        console.log(`${check.page}: ${shown} pictures decoded, ${seen.links.length} links, ${seen.marks.length} marks`);
    }
    if (checks.screenshot) {
        const loaded = event('Page.loadEventFired', sessionId);
        await send('Page.navigate', { url: 'file://' + path.join(folder, checks.screenshot.page) }, sessionId);
        await loaded;
        await send('Runtime.evaluate', { expression: inspect, awaitPromise: true }, sessionId);
        const shot = await send('Page.captureScreenshot', { format: 'png' }, sessionId);
        fs.writeFileSync(checks.screenshot.file, Buffer.from(shot.data, 'base64'));
    }
}

const timer = setTimeout(() => {
    console.error('check-sheet: Chromium did not answer within 120 seconds');
    browser.kill();
    process.exit(1);
}, 120000);
main().then(() => {
    browser.on('exit', () => {
        clearTimeout(timer);
        for (const f of failures) console.error(f);
        fs.rmSync(profile, { recursive: true, force: true });
        process.exit(failures.length === 0 ? 0 : 1);
    });
    send('Browser.close').catch(() => {});
}, (error) => {
    console.error(`check-sheet: ${error.message}`);
    browser.kill();
    process.exit(1);
});
