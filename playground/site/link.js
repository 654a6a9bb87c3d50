// A snippet travels in the page address: the text, compressed with raw
// DEFLATE and written in URL-safe base64, after "#code=". Nothing leaves the
// browser; whoever opens the link gets the same text back.
"use strict";

const LINK_PREFIX = "#code=";

function bytesToBase64Url(bytes) {
  let binary = "";
  for (let i = 0; i < bytes.length; i += 0x8000) {
    binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  }
  return btoa(binary).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
}

function base64UrlToBytes(text) {
  const binary = atob(text.replace(/-/g, "+").replace(/_/g, "/"));
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

async function pipeThrough(bytes, transform) {
  const stream = new Blob([bytes]).stream().pipeThrough(transform);
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

// The fragment that carries `text`.
async function linkFragment(text) {
  const packed = await pipeThrough(new TextEncoder().encode(text), new CompressionStream("deflate-raw"));
  return LINK_PREFIX + bytesToBase64Url(packed);
}

// The text a fragment carries, or null when it carries none (or is damaged).
async function textOfFragment(fragment) {
  if (!fragment.startsWith(LINK_PREFIX)) return null;
  try {
    const bytes = await pipeThrough(base64UrlToBytes(fragment.slice(LINK_PREFIX.length)),
                                    new DecompressionStream("deflate-raw"));
    return new TextDecoder("utf-8", { fatal: false }).decode(bytes);
  } catch (error) {
    return null;
  }
}
