// Starts tovel-lsp over stdio for every Tovel file. The server checks the
// whole text on each change and publishes diagnostics, and serves the
// editor features. Highlighting starts from the TextMate grammar; the
// server's semantic tokens then refine it, mapped by package.json to the
// very scopes the grammar gives, so colours do not change when they arrive.
import * as vscode from "vscode";
import {
  LanguageClient,
  LanguageClientOptions,
  ServerOptions,
  TransportKind,
} from "vscode-languageclient/node";

let client: LanguageClient | undefined;

function serverCommand(): string {
  const configured = vscode.workspace
    .getConfiguration("tovel")
    .get<string>("server.path", "tovel-lsp")
    .trim();
  return configured.length > 0 ? configured : "tovel-lsp";
}

export async function activate(context: vscode.ExtensionContext): Promise<void> {
  const command = serverCommand();
  const serverOptions: ServerOptions = {
    run: { command, transport: TransportKind.stdio },
    debug: { command, transport: TransportKind.stdio },
  };
  const clientOptions: LanguageClientOptions = {
    documentSelector: [{ scheme: "file", language: "tovel" }, { scheme: "untitled", language: "tovel" }],
  };
  client = new LanguageClient("tovel", "Tovel language server", serverOptions, clientOptions);

  // A changed server path takes effect on the next start; say so instead of
  // silently keeping the old process.
  context.subscriptions.push(
    vscode.workspace.onDidChangeConfiguration((event) => {
      if (event.affectsConfiguration("tovel.server.path")) {
        void vscode.window.showInformationMessage(
          "Tovel: reload the window to start the server from the new path."
        );
      }
    })
  );

  try {
    await client.start();
  } catch (error) {
    void vscode.window.showErrorMessage(
      `Tovel: could not start '${command}' (set tovel.server.path): ${String(error)}`
    );
  }
}

export async function deactivate(): Promise<void> {
  if (client !== undefined) {
    await client.stop();
    client = undefined;
  }
}
