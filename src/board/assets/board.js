// The board's page: reads the day's JSON from the board and draws it. Every text that comes
// from the records is put in as text (textContent), never as markup.
"use strict";

const TEXTS = {
  en: {
    title: "Kestrim — all desks",
    dayLabel: "Day",
    toToday: "Today",
    language: "中文",
    desksToday: "Desks today, {day}",
    desksDay: "Desks on {day}",
    abnormalToday: "Abnormal readings today",
    abnormalDay: "Abnormal readings on {day}",
    desk: "Desk", port: "Port", readings: "Readings", abnormalCount: "Abnormal",
    last: "Last reading", status: "Status", time: "Time", value: "Value", celsius: "°C",
    quiet: "quiet", active: "sending",
    summary: "{desks} desks and ports · {readings} readings · {abnormal} abnormal",
    noDesks: "No desk has sent a reading on this day.",
    noAbnormal: "No abnormal reading on this day.",
    more: "The newest {shown} of {total} abnormal readings are shown.",
    boardDown: "The board cannot be reached. Retrying…",
    serverDown: "The records server cannot be reached ({error}). Shown is what was read {age} ago, at {time}.",
    serverDownNothing: "The records server cannot be reached ({error}). Nothing has been read yet.",
    reading: "Reading the records of this day…",
    serverSlow: "The records server has not answered for {age}. Shown is what was read at {time}.",
    updated: "Read from the records server at {time}.",
    seconds: "{n} s", minutes: "{n} min", hours: "{n} h",
  },
  zh: {
    title: "Kestrim — 所有测温台",
    dayLabel: "日期",
    toToday: "今天",
    language: "English",
    desksToday: "今天的测温台（{day}）",
    desksDay: "{day} 的测温台",
    abnormalToday: "今天的异常读数",
    abnormalDay: "{day} 的异常读数",
    desk: "测温台", port: "端口", readings: "测量次数", abnormalCount: "异常",
    last: "最后一次测量", status: "状态", time: "时间", value: "读数", celsius: "°C",
    quiet: "静默", active: "正在发送",
    summary: "{desks} 个测温台端口 · {readings} 次测量 · {abnormal} 次异常",
    noDesks: "这一天没有测温台发来读数。",
    noAbnormal: "这一天没有异常读数。",
    more: "只显示最新的 {shown} 条异常读数（共 {total} 条）。",
    boardDown: "无法连接看板程序，正在重试…",
    serverDown: "无法连接记录服务器（{error}）。显示的是 {age}前（{time}）读取的数据。",
    serverDownNothing: "无法连接记录服务器（{error}），还没有读到任何数据。",
    reading: "正在读取这一天的记录…",
    serverSlow: "记录服务器已有 {age}没有应答。显示的是 {time} 读取的数据。",
    updated: "{time} 从记录服务器读取。",
    seconds: "{n} 秒", minutes: "{n} 分钟", hours: "{n} 小时",
  },
};

const language = document.documentElement.lang.startsWith("zh") ? "zh" : "en";
const T = TEXTS[language];
const params = new URLSearchParams(location.search);
const wantedDay = /^\d{4}-\d{2}-\d{2}$/.test(params.get("day") || "") ? params.get("day") : "";
const TODAY_EVERY_MS = 1000;
const DAY_EVERY_MS = 10000;
const seenAbnormal = new Set();
let firstDraw = true;

function say(text, values) {
  return text.replace(/\{(\w+)\}/g, (all, name) => (name in values ? String(values[name]) : all));
}

function element(name, text, className) {
  const made = document.createElement(name);
  if (text !== undefined) made.textContent = text;
  if (className) made.className = className;
  return made;
}

function cell(row, column, text, className) {
  const td = element("td", text, className);
  td.dataset.label = T[column];
  row.appendChild(td);
  return td;
}

function age(seconds) {
  const s = Math.max(0, Math.round(seconds));
  if (s < 120) return say(T.seconds, { n: s });
  if (s < 7200) return say(T.minutes, { n: Math.round(s / 60) });
  return say(T.hours, { n: Math.round(s / 3600) });
}

function clock(iso) {
  return iso ? iso.slice(11, 19) : "";
}

function link(changes) {
  const next = new URLSearchParams(location.search);
  for (const [key, value] of Object.entries(changes)) {
    if (value) next.set(key, value); else next.delete(key);
  }
  const query = next.toString();
  return "/" + (query ? "?" + query : "");
}

function setUp() {
  document.title = T.title;
  document.getElementById("title").textContent = T.title;
  document.getElementById("day-label").textContent = T.dayLabel;
  const today = document.getElementById("to-today");
  today.textContent = T.toToday;
  today.href = link({ day: "" });
  const other = document.getElementById("language");
  other.textContent = T.language;
  other.href = link({ lang: language === "zh" ? "en" : "zh" });
  other.lang = language === "zh" ? "en" : "zh-CN";
  for (const th of document.querySelectorAll("th[data-text]")) th.textContent = T[th.dataset.text];
  const picker = document.getElementById("day");
  picker.value = wantedDay;
  picker.addEventListener("change", () => {
    if (/^\d{4}-\d{2}-\d{2}$/.test(picker.value)) location.href = link({ day: picker.value });
  });
}

function drawDesks(answer, isToday) {
  const body = document.querySelector("#desks tbody");
  const rows = [];
  for (const desk of answer.desks) {
    const row = element("tr");
    if (desk.quiet) row.className = "quiet";
    cell(row, "desk", desk.desk, "desk");
    cell(row, "port", "COM" + desk.port);
    cell(row, "readings", String(desk.readings), "number");
    cell(row, "abnormalCount", String(desk.abnormal), desk.abnormal > 0 ? "number has-abnormal" : "number");
    cell(row, "last", desk.last);
    if (isToday) cell(row, "status", desk.quiet ? T.quiet : T.active, desk.quiet ? "status-quiet" : "status-active");
    else cell(row, "status", "");
    rows.push(row);
  }
  body.replaceChildren(...rows);
  const none = document.getElementById("no-desks");
  none.textContent = T.noDesks;
  none.hidden = answer.desks.length > 0;
  document.getElementById("summary").textContent = say(T.summary, {
    desks: answer.desks.length, readings: answer.readings, abnormal: answer.abnormalCount,
  });
}

function drawAbnormal(answer) {
  const body = document.querySelector("#abnormal tbody");
  const rows = [];
  for (const reading of answer.abnormal) {
    const key = [reading.desk, reading.port, reading.quantity, reading.time].join("\u0000");
    const row = element("tr");
    if (!firstDraw && !seenAbnormal.has(key)) row.className = "new";
    seenAbnormal.add(key);
    cell(row, "time", reading.time);
    cell(row, "desk", reading.desk, "desk");
    cell(row, "port", "COM" + reading.port);
    const unit = reading.unit === "count" ? "" : "°" + reading.unit;
    cell(row, "value", reading.value + unit, "number");
    cell(row, "celsius", reading.celsius, "number");
    rows.push(row);
  }
  body.replaceChildren(...rows);
  const none = document.getElementById("no-abnormal");
  none.textContent = T.noAbnormal;
  none.hidden = answer.abnormal.length > 0;
  const more = document.getElementById("abnormal-more");
  more.hidden = answer.abnormalCount <= answer.abnormal.length;
  more.textContent = say(T.more, { shown: answer.abnormal.length, total: answer.abnormalCount });
}

function showBanner(text) {
  const banner = document.getElementById("banner");
  banner.textContent = text || "";
  banner.hidden = !text;
  document.body.dataset.state = text ? "trouble" : "ok";
}

function draw(answer) {
  const isToday = answer.day === answer.today;
  document.getElementById("desks-title").textContent = say(isToday ? T.desksToday : T.desksDay, { day: answer.day });
  document.getElementById("abnormal-title").textContent = say(isToday ? T.abnormalToday : T.abnormalDay, { day: answer.day });
  const picker = document.getElementById("day");
  picker.max = answer.today;
  if (!wantedDay) picker.value = answer.day;
  if (answer.known) {
    drawDesks(answer, isToday);
    drawAbnormal(answer);
    firstDraw = false;
  }
  if (!answer.known && answer.reachable) {
    showBanner(T.reading);
  } else if (!answer.known) {
    showBanner(say(T.serverDownNothing, { error: answer.error }));
  } else if (!answer.reachable) {
    showBanner(say(T.serverDown, { error: answer.error, age: age(answer.ageSeconds), time: clock(answer.readAt) }));
  } else if (answer.stale) {
    showBanner(say(T.serverSlow, { age: age(answer.ageSeconds), time: clock(answer.readAt) }));
  } else {
    showBanner("");
  }
  document.getElementById("updated").textContent = answer.readAt ? say(T.updated, { time: clock(answer.readAt) }) : "";
}

async function poll() {
  const url = wantedDay ? "/api/day/" + wantedDay : "/api/today";
  const controller = new AbortController();
  const timer = setTimeout(() => controller.abort(), 4000);
  try {
    const response = await fetch(url, { cache: "no-store", signal: controller.signal });
    draw(await response.json());
  } catch (error) {
    showBanner(T.boardDown);
  } finally {
    clearTimeout(timer);
  }
  setTimeout(poll, wantedDay && wantedDay !== todayGuess() ? DAY_EVERY_MS : TODAY_EVERY_MS);
}

function todayGuess() {
  const picker = document.getElementById("day");
  return picker.max || "";
}

setUp();
poll();
